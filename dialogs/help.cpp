#include "dialogs/help.h"
#include "ui_help.h"

#include "dialogs/pageview.h"

Help::Help(QWidget *parent)
    : QDialog(parent)
    , ui(new HelpUi)
{
    ui->setupUi(this);
    ui->webView->showPage(QStringLiteral("help.html"),
                          tr("The page %1 was not found in the working directory or the "
                             "program's data folder, or it is not a regular file of at most "
                             "4 MiB."));
}

Help::~Help()
{
    delete ui;
}
