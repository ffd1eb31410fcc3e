#pragma once

#include <QMessageBox>

// Gives a message box its texts as written. File, port and printer names and the system's
// reasons are no markup, but the toolkit's automatic format would take one such as
// "<img src=/dev/zero>" for rich text, and read its image without end.
void setPlainTexts(QMessageBox &box, const QString &text, const QString &informativeText = {});

// A modal box with plain texts; returns the button pressed.
QMessageBox::StandardButton
showPlainMessage(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text,
                 QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                 QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
