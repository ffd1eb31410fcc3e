#include "dialogs/about.h"
#include "ui_about.h"

#include "dialogs/pageview.h"

About::About(QWidget *parent)
    : QDialog(parent)
    , ui(new AboutUi)
{
    ui->setupUi(this);
    showPage(
        ui->webView, QStringLiteral("about.html"),
        tr("The page %1 was not found in the working directory or the program's data folder."));
}

About::~About()
{
    delete ui;
}
