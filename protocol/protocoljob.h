#pragma once

#include <QString>

class QPagedPaintDevice;
class QWidget;

enum class ProtocolOutcome { Complete, Cancelled, Failed };

// Lays out the protocol and paints it on a device whose page layout is set, on a thread of its
// own, so that the window goes on repainting and receiving. The operator cannot act on the
// window meanwhile; above about a second a progress dialog shows, whose Cancel stops the layout,
// and the painting too where cancelWhilePainting is set (a printer cannot take back the pages
// it was sent).
ProtocolOutcome paintProtocol(QWidget *parent, const QString &html, QPagedPaintDevice *device,
                              bool cancelWhilePainting);
