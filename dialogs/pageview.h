#pragma once

#include <QTextBrowser>

// A browser for the program's own pages (help, about) that reaches nothing outside the page's
// folder: its images and further pages come only from regular files of bounded size in that
// folder, or from the resource bundle; links to web pages open in the desktop's browser; any
// other link is ignored.
class PageView : public QTextBrowser
{
    Q_OBJECT
public:
    explicit PageView(QWidget *parent = nullptr);

    // Shows a page file, looked up like every optional file of the program. A page that is
    // missing or unusable leaves one line that names it, rather than an empty view. The message
    // holds a "%1" for the file's name.
    void showPage(const QString &fileName, const QString &missingMessage);

    QVariant loadResource(int type, const QUrl &name) override;

private:
    void followLink(const QUrl &link);
    // The local path that a name of the page stands for, when it lies in the page's folder.
    QString pathInPageFolder(const QUrl &name) const;

    QString pageFolder; // canonical
};
