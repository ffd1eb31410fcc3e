#include "dialogs/pageview.h"

#include "app/optionalfile.h"

#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>

void showPage(QTextBrowser *browser, const QString &fileName, const QString &missingMessage)
{
    const QString path = optionalPagePath(fileName);
    if (!QFileInfo(path).isFile()) {
        browser->setPlainText(missingMessage.arg(fileName));
        return;
    }
    // Through a file URL, so that the page's relative links and images resolve beside it.
    browser->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}
