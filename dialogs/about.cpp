#include "dialogs/about.h"
#include "ui_about.h"

#include "dialogs/pageview.h"

About::About(QWidget *parent)
    : QDialog(parent)
    , ui(new AboutUi)
{
    ui->setupUi(this);
    ui->webView->showPage(QStringLiteral("about.html"),
                          tr("The page %1 was not found in the working directory or the "
                             "program's data folder, or it is not a regular file of at most "
                             "4 MiB."));
    // From the build, so that it is never out of step with the program.
    ui->version->setText(tr("Version %1").arg(QStringLiteral(TOLVAREN_VERSION)));
}

About::~About()
{
    delete ui;
}
