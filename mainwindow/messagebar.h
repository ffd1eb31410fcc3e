#pragma once

#include <QStatusBar>
#include <QStringList>

class QLabel;

// The window's status bar. A message never runs under the widgets at its right: one too long
// for the room left is shown elided, with the whole text in its tooltip. Every message but the
// passing ones is written down in the session's log, so that none is lost when the next one
// replaces it.
class MessageBar : public QStatusBar
{
    Q_OBJECT
public:
    explicit MessageBar(QWidget *parent = nullptr);

    // A message that is soon replaced and tells nothing that could be missed (the progress of a
    // transfer, the selection's figures): shown, but not written down.
    void showPassingMessage(const QString &text);

    // The messages of this session, the oldest first, each with the time it was shown.
    QStringList log() const { return entries; }

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showMessageText(const QString &text);
    void fitMessage();

    QLabel *messageLabel = nullptr;
    QString passing;
    QStringList entries;
};
