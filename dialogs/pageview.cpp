#include "dialogs/pageview.h"

#include "files/optionalfile.h"
#include "files/regularfile.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QUrl>

PageView::PageView(QWidget *parent)
    : QTextBrowser(parent)
{
    setOpenLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &PageView::followLink);
}

void PageView::showPage(const QString &fileName, const QString &missingMessage)
{
    const QString path = optionalPagePath(fileName);
    const QFileInfo page(QFileInfo(path).canonicalFilePath());
    if (path.isEmpty() || !page.exists()) {
        setPlainText(missingMessage.arg(fileName));
        return;
    }
    pageFolder = page.absolutePath();
    // Through a file URL, so that the page's relative links and images resolve beside it.
    setSource(QUrl::fromLocalFile(page.absoluteFilePath()));
}

QString PageView::pathInPageFolder(const QUrl &name) const
{
    if (pageFolder.isEmpty())
        return QString();
    const QUrl url = QUrl::fromLocalFile(pageFolder + QLatin1Char('/')).resolved(name);
    if (!url.isLocalFile())
        return QString();
    // After symbolic links, so that a link in the folder cannot lead out of it.
    const QFileInfo target(QFileInfo(url.toLocalFile()).canonicalFilePath());
    return target.exists() && target.absolutePath() == pageFolder ? target.absoluteFilePath()
                                                                  : QString();
}

QVariant PageView::loadResource(int type, const QUrl &name)
{
    if (name.scheme() == QLatin1String("qrc")
        || (name.scheme().isEmpty() && name.path().startsWith(QLatin1String(":/"))))
        return QTextBrowser::loadResource(type, name);
    const QString path = pathInPageFolder(name);
    if (path.isEmpty())
        return QVariant();
    const RegularFileContents file = readRegularFile(path, maxOptionalFileBytes);
    if (!file.isRead())
        return QVariant();
    if (type == QTextDocument::ImageResource) {
        const QImage image = imageFromBytes(file.bytes);
        return image.isNull() ? QVariant() : QVariant(image);
    }
    return file.bytes;
}

void PageView::followLink(const QUrl &link)
{
    const QString scheme = link.scheme();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https")
        || scheme == QLatin1String("mailto")) {
        QDesktopServices::openUrl(link);
        return;
    }
    if (link.isRelative() && link.path().isEmpty()) {
        scrollToAnchor(link.fragment());
        return;
    }
    const QString path = pathInPageFolder(link);
    if (!path.isEmpty() && isRegularFileWithin(path, maxOptionalFileBytes)) {
        QUrl page = QUrl::fromLocalFile(path);
        page.setFragment(link.fragment());
        setSource(page);
    }
}
