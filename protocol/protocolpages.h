#pragma once

#include <QPageLayout>
#include <QTextDocument>

#include <functional>

class QPagedPaintDevice;
class QPainter;

// The control protocol laid out on pages of one layout, the same pages on a printer and in a
// PDF: a table that continues on a page starts it with its row of group names again, there is no
// page without content, and every page says which of how many it is.
class ProtocolPages
{
public:
    // Lays out the protocol's HTML for pages of the given layout at once.
    ProtocolPages(const QString &html, const QPageLayout &pageLayout);

    int pageCount() const { return pages; }

    // Paints every page with an active painter of the device, which must have this page layout.
    // pageDone is called after each page with the number of pages done; returning false stops
    // the painting, and paint() then returns false, as it does when the device fails.
    using PageDone = std::function<bool(int done)>;
    bool paint(QPainter &painter, QPagedPaintDevice *device, const PageDone &pageDone = {});

    // The layout a protocol is printed with: the given paper upright, with margins no smaller
    // than the printer's least (in points).
    static QPageLayout pageLayoutFor(const QPageSize &paper,
                                     const QMarginsF &minimumMargins = QMarginsF());

private:
    QTextDocument document;
    QPageLayout layout;
    qreal dpi = 96; // of the layout units
    QSizeF body; // the area of one page that the document fills, in layout units
    int pages = 0;
};
