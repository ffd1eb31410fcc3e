#pragma once

#include <QDialog>

namespace Ui {
class MessageLog;
}
using MessageLogUi = Ui::MessageLog;

// A modal dialog that shows the messages of the session, the newest at the bottom and in view.
class MessageLog : public QDialog
{
    Q_OBJECT
public:
    MessageLog(const QStringList &messages, QWidget *parent = nullptr);
    ~MessageLog() override;

private:
    MessageLogUi *ui;
};
