#include "dialogs/messagelog.h"
#include "ui_messagelog.h"

MessageLog::MessageLog(const QStringList &messages, QWidget *parent)
    : QDialog(parent)
    , ui(new MessageLogUi)
{
    ui->setupUi(this);
    ui->messages->setPlainText(messages.isEmpty() ? tr("No messages yet.")
                                                  : messages.join(QLatin1Char('\n')));
    ui->messages->moveCursor(QTextCursor::End);
}

MessageLog::~MessageLog()
{
    delete ui;
}
