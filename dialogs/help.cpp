#include "dialogs/help.h"
#include "ui_help.h"

#include "dialogs/pageview.h"

Help::Help(QWidget *parent)
    : QDialog(parent)
    , ui(new HelpUi)
{
    ui->setupUi(this);
    showPage(
        ui->webView, QStringLiteral("help.html"),
        tr("The page %1 was not found in the working directory or the program's data folder."));
}

Help::~Help()
{
    delete ui;
}
