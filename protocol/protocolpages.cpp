#include "protocol/protocolpages.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QScreen>
#include <QTextBlock>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>

#include <cmath>

namespace {

constexpr qreal pointsPerInch = 72.0;
// The band at the foot of every page that holds its number.
constexpr qreal footerPoints = 24.0;
constexpr qreal marginMillimetres = 15.0;

// The document is laid out once, without a device of its own, so that a printer and a PDF of
// another resolution get the very same pages; it then measures in the screen's logical pixels.
// (A device for the layout would cost a font lookup per line: three times the time.)
qreal layoutDpi()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? qRound(screen->logicalDotsPerInchY()) : 96;
}

qreal bottomOfLastLine(const QTextBlock &block)
{
    const QTextLayout *lines = block.layout();
    if (!lines || lines->lineCount() == 0)
        return 0;
    const QTextLine last = lines->lineAt(lines->lineCount() - 1);
    return lines->position().y() + last.y() + last.height();
}

} // namespace

ProtocolPages::ProtocolPages(const QString &html, const QPageLayout &pageLayout)
    : layout(pageLayout)
{
    document.setHtml(html);

    QTextFrame *root = document.rootFrame();
    for (QTextFrame *frame : root->childFrames()) {
        if (auto *table = qobject_cast<QTextTable *>(frame)) {
            QTextTableFormat format = table->format();
            // A table broken across pages opens each continuation with its group names.
            format.setHeaderRowCount(1);
            table->setFormat(format);
        }
    }

    const QRectF paintRect = layout.paintRect(QPageLayout::Point);
    dpi = layoutDpi();
    const qreal scale = dpi / pointsPerInch;
    body = QSizeF(paintRect.width() * scale, (paintRect.height() - footerPoints) * scale);
    document.setPageSize(body);

    // The empty paragraph that closes the last table may fall on a page of its own; pages end
    // with the last line or table that shows something.
    qreal bottom = 0;
    const QAbstractTextDocumentLayout *documentLayout = document.documentLayout();
    for (auto child = root->begin(); !child.atEnd(); ++child) {
        if (QTextFrame *frame = child.currentFrame())
            bottom = std::max(bottom, documentLayout->frameBoundingRect(frame).bottom());
        else if (!child.currentBlock().text().isEmpty())
            bottom = std::max(bottom, bottomOfLastLine(child.currentBlock()));
    }
    // A table's last border may reach a hair past the page it ends on.
    const qreal tolerance = scale;
    pages = std::max(1, int(std::ceil((bottom - tolerance) / body.height())));
}

bool ProtocolPages::paint(QPainter &painter, QPagedPaintDevice *device, const PageDone &pageDone)
{
    const qreal scaleX = device->logicalDpiX() / dpi;
    const qreal scaleY = device->logicalDpiY() / dpi;
    const QRectF footer(0, body.height() * scaleY, device->width(),
                        device->height() - body.height() * scaleY);
    QFont footerFont = document.defaultFont();
    footerFont.setPointSizeF(8);

    for (int page = 0; page < pages; ++page) {
        if (page > 0 && !device->newPage())
            return false;
        painter.save();
        painter.scale(scaleX, scaleY);
        const QRectF view(0, page * body.height(), body.width(), body.height());
        painter.translate(0, -view.top());
        painter.setClipRect(view);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = view;
        // Black on white whatever the desktop's colours are.
        context.palette.setColor(QPalette::Text, Qt::black);
        document.documentLayout()->draw(&painter, context);
        painter.restore();

        painter.setFont(QFont(footerFont, device));
        painter.setPen(Qt::black);
        painter.drawText(
            footer, Qt::AlignRight | Qt::AlignBottom,
            QCoreApplication::translate("MainWindow", "Page %1 of %2").arg(page + 1).arg(pages));
        if (pageDone && !pageDone(page + 1))
            return false;
    }
    return true;
}

QPageLayout ProtocolPages::pageLayoutFor(const QPageSize &paper, const QMarginsF &minimumMargins)
{
    const qreal points = marginMillimetres / 25.4 * pointsPerInch;
    const QMarginsF margins(
        std::max(points, minimumMargins.left()), std::max(points, minimumMargins.top()),
        std::max(points, minimumMargins.right()), std::max(points, minimumMargins.bottom()));
    return QPageLayout(paper, QPageLayout::Portrait, margins, QPageLayout::Point);
}
