// Draws the toolbar icons, the window icon and the logo of tolvaren.
//
// Usage: draw_images <output folder>
//
// Every image is painted with QPainter so the artwork can be changed and
// regenerated from this one file (see the "regenerate" script beside it).
// All icons share one palette and one outline width.

#include <QDir>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QString>
#include <QSvgGenerator>
#include <QTextStream>

#include <cmath>
#include <functional>

namespace {

// ---- palette ---------------------------------------------------------------

const QColor kInk(0x26, 0x32, 0x40); // outlines
const QColor kBlue(0x2f, 0x6d, 0xb5); // main accent
const QColor kBlueLight(0xcf, 0xe0, 0xf5); // pale accent
const QColor kBlueDark(0x1c, 0x3d, 0x6e); // logo ink
const QColor kGreen(0x3a, 0x9a, 0x4a);
const QColor kGreenLight(0xcd, 0xec, 0xc8);
const QColor kRed(0xcc, 0x36, 0x2c);
const QColor kGrey(0x8a, 0x96, 0xa3);
const QColor kGreyLight(0xe3, 0xe7, 0xec);
const QColor kYellow(0xe9, 0xb6, 0x3f);
const QColor kYellowLight(0xf7, 0xd9, 0x7c);
const QColor kWhite(0xff, 0xff, 0xff);

constexpr qreal kStroke = 1.5; // outline width of the 32 px icons

QPen outline(const QColor &c = kInk, qreal w = kStroke)
{
    return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// Fills and outlines a shape in one call.
void shape(QPainter &p, const QPainterPath &path, const QColor &fill, const QColor &line = kInk,
           qreal w = kStroke)
{
    p.setPen(outline(line, w));
    p.setBrush(fill);
    p.drawPath(path);
}

QPainterPath roundRect(qreal x, qreal y, qreal w, qreal h, qreal r)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(x, y, w, h), r, r);
    return path;
}

QPainterPath polygon(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

void line(QPainter &p, QPointF a, QPointF b, const QColor &c = kInk, qreal w = kStroke)
{
    p.setPen(outline(c, w));
    p.drawLine(a, b);
}

// ---- icons -----------------------------------------------------------------

// Floppy disk filling the 32 px square.
void drawFloppy(QPainter &p)
{
    // Body with the cut top right corner.
    QPainterPath body;
    body.moveTo(5, 3.5);
    body.lineTo(23.5, 3.5);
    body.lineTo(28.5, 8.5);
    body.lineTo(28.5, 27);
    body.quadTo(28.5, 28.5, 27, 28.5);
    body.lineTo(5, 28.5);
    body.quadTo(3.5, 28.5, 3.5, 27);
    body.lineTo(3.5, 5);
    body.quadTo(3.5, 3.5, 5, 3.5);
    shape(p, body, kBlue);

    // Metal shutter with its slot.
    shape(p, roundRect(9.5, 3.5, 13, 8.5, 0.5), kGreyLight);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawRect(QRectF(17.5, 5.5, 2.5, 4.5));

    // Paper label with writing lines.
    shape(p, roundRect(7.5, 16, 17, 12.5, 1), kWhite);
    line(p, { 10.5, 20 }, { 21.5, 20 }, kGrey, 1);
    line(p, { 10.5, 24 }, { 21.5, 24 }, kGrey, 1);
}

void drawFileSave(QPainter &p)
{
    drawFloppy(p);
}

void drawFileSaveAs(QPainter &p)
{
    p.save();
    p.scale(0.84, 0.84);
    drawFloppy(p);
    p.restore();

    // Pencil over the lower right corner, its tip pointing down to the left.
    p.save();
    p.translate(22, 20.5);
    p.rotate(135);
    const qreal h = 3.2; // half thickness
    // White halo separating the pencil from the disk.
    QPainterPath whole = polygon({ { -11, -h }, { 6, -h }, { 11, 0 }, { 6, h }, { -11, h } });
    p.setPen(outline(kWhite, 3.5));
    p.setBrush(kWhite);
    p.drawPath(whole);
    shape(p, polygon({ { -7, -h }, { 6, -h }, { 6, h }, { -7, h } }), kYellow);
    shape(p, roundRect(-11, -h, 4, 2 * h, 1), kRed);
    shape(p, polygon({ { 6, -h }, { 11, 0 }, { 6, h } }), QColor(0xf3, 0xd6, 0xa8));
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawPath(polygon({ { 9.2, -1.1 }, { 11, 0 }, { 9.2, 1.1 } }));
    p.restore();
}

void drawFilePrint(QPainter &p)
{
    // Paper going in at the back.
    shape(p, roundRect(9, 3.5, 14, 10, 0.5), kWhite);
    // Printer body.
    shape(p, roundRect(3.5, 11.5, 25, 12.5, 2.5), kGreyLight);
    // Output slot.
    shape(p, roundRect(7.5, 19, 17, 3, 1), kInk);
    // Printed sheet coming out.
    shape(p, polygon({ { 9.5, 20.5 }, { 22.5, 20.5 }, { 22.5, 28.5 }, { 9.5, 28.5 } }), kWhite);
    line(p, { 12, 24 }, { 20, 24 }, kBlue, 1);
    line(p, { 12, 26.5 }, { 18, 26.5 }, kBlue, 1);
    // Power light.
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    p.drawEllipse(QPointF(24.5, 15.5), 1.4, 1.4);
}

// Plug and socket on a diagonal; `apart` separates them.  A round badge in
// the lower right corner repeats the state: green tick or red cross.
void drawConnector(QPainter &p, bool apart)
{
    const QColor body = apart ? kGreyLight : kGreenLight;
    const QColor accent = apart ? kGrey : kGreen;
    const qreal gap = apart ? 3.5 : 0;

    p.save();
    p.translate(14, 14);
    p.rotate(-45);
    p.scale(0.9, 0.9);

    // Cables.
    line(p, { -24, 0 }, { -10 - gap, 0 }, kInk, 3);
    line(p, { 9 + gap, 0 }, { 24, 0 }, kInk, 3);

    // Plug: two prongs and the body.
    p.save();
    p.translate(-gap, 0);
    shape(p, roundRect(-3, -4.5, 5, 2.5, 0.4), kGreyLight, kInk, 1.2);
    shape(p, roundRect(-3, 2, 5, 2.5, 0.4), kGreyLight, kInk, 1.2);
    shape(p, roundRect(-10.5, -6.5, 8.5, 13, 2), body);
    line(p, { -6.5, -3 }, { -6.5, 3 }, accent, 1.8);
    p.restore();

    // Socket.
    p.save();
    p.translate(gap, 0);
    shape(p, roundRect(-2, -7.5, 11, 15, 2), body);
    line(p, { 4.5, -3.5 }, { 4.5, 3.5 }, accent, 1.8);
    p.restore();

    p.restore();

    // State badge on a white halo.
    const QPointF c(24.5, 24.5);
    p.setPen(Qt::NoPen);
    p.setBrush(kWhite);
    p.drawEllipse(c, 7, 7);
    p.setPen(outline(apart ? kRed.darker(130) : kGreen.darker(130), 1));
    p.setBrush(apart ? kRed : kGreen);
    p.drawEllipse(c, 5.8, 5.8);
    QPainterPath mark;
    if (apart) {
        mark.moveTo(c + QPointF(-2.5, -2.5));
        mark.lineTo(c + QPointF(2.5, 2.5));
        mark.moveTo(c + QPointF(-2.5, 2.5));
        mark.lineTo(c + QPointF(2.5, -2.5));
    } else {
        mark.moveTo(c + QPointF(-3, 0.2));
        mark.lineTo(c + QPointF(-0.8, 2.5));
        mark.lineTo(c + QPointF(3.2, -2.2));
    }
    p.setPen(outline(kWhite, 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(mark);
}

void drawConnected(QPainter &p)
{
    drawConnector(p, false);
}
void drawDisconnected(QPainter &p)
{
    drawConnector(p, true);
}

void drawDownload(QPainter &p)
{
    // Tray.
    QPainterPath tray;
    tray.moveTo(3.5, 19);
    tray.lineTo(3.5, 26.5);
    tray.quadTo(3.5, 28.5, 5.5, 28.5);
    tray.lineTo(26.5, 28.5);
    tray.quadTo(28.5, 28.5, 28.5, 26.5);
    tray.lineTo(28.5, 19);
    tray.lineTo(22, 19);
    tray.lineTo(20.5, 22.5);
    tray.lineTo(11.5, 22.5);
    tray.lineTo(10, 19);
    tray.closeSubpath();
    shape(p, tray, kGreyLight);

    // Arrow.
    shape(p,
          polygon({ { 13, 3 },
                    { 19, 3 },
                    { 19, 11.5 },
                    { 24, 11.5 },
                    { 16, 20 },
                    { 8, 11.5 },
                    { 13, 11.5 } }),
          kBlue);
}

void drawCalc(QPainter &p)
{
    shape(p, roundRect(6.5, 2.5, 19, 27, 2.5), kGreyLight);
    // Display.
    shape(p, roundRect(9.5, 5.5, 13, 6, 1), kGreenLight, kInk, 1);
    line(p, { 15.5, 8.5 }, { 20, 8.5 }, kInk, 1.5);
    // Keys: 3 columns x 4 rows, the last one tall and orange.
    p.setPen(Qt::NoPen);
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 3; ++col) {
            const qreal x = 9.5 + col * 4.6;
            const qreal y = 14 + row * 3.8;
            p.setBrush(col == 2 && row >= 2 ? kYellow : (row == 0 ? kBlue : kInk));
            if (col == 2 && row == 3)
                continue;
            const qreal hgt = (col == 2 && row == 2) ? 6.3 : 2.5;
            p.drawRoundedRect(QRectF(x, y, 3.6, hgt), 0.6, 0.6);
        }
    }
}

void drawContents(QPainter &p)
{
    // Cover behind the pages.
    QPainterPath cover;
    cover.moveTo(2.5, 9);
    cover.lineTo(2.5, 27.5);
    cover.lineTo(13, 27.5);
    cover.quadTo(16, 29.5, 19, 27.5);
    cover.lineTo(29.5, 27.5);
    cover.lineTo(29.5, 9);
    cover.closeSubpath();
    shape(p, cover, kBlue);

    // Two pages curving down to the spine.
    QPainterPath left;
    left.moveTo(16, 8);
    left.cubicTo(12, 5, 8, 5, 4.5, 6);
    left.lineTo(4.5, 25);
    left.cubicTo(8, 24, 12, 24, 16, 26.5);
    left.closeSubpath();
    shape(p, left, kWhite);
    QPainterPath right;
    right.moveTo(16, 8);
    right.cubicTo(20, 5, 24, 5, 27.5, 6);
    right.lineTo(27.5, 25);
    right.cubicTo(24, 24, 20, 24, 16, 26.5);
    right.closeSubpath();
    shape(p, right, kWhite);

    // Lines of text.
    for (int i = 0; i < 4; ++i) {
        const qreal y = 11 + i * 3.5;
        line(p, { 7.5, y }, { 13, y + 0.8 }, kGrey, 1);
        line(p, { 19, y + 0.8 }, { 24.5, y }, kGrey, 1);
    }
}

void drawFileOpen(QPainter &p)
{
    // Back of the folder with its tab.
    QPainterPath back;
    back.moveTo(3.5, 26.5);
    back.lineTo(3.5, 7);
    back.quadTo(3.5, 5.5, 5, 5.5);
    back.lineTo(11, 5.5);
    back.lineTo(13.5, 8.5);
    back.lineTo(24, 8.5);
    back.quadTo(25.5, 8.5, 25.5, 10);
    back.lineTo(25.5, 13);
    back.lineTo(3.5, 26.5);
    shape(p, back, kYellow);

    // Sheet of paper peeking out.
    shape(p, polygon({ { 8, 23 }, { 8, 11 }, { 22.5, 11 }, { 22.5, 16 } }), kWhite, kInk, 1);

    // Front flap, tilted open.
    shape(p, polygon({ { 3.5, 28.5 }, { 9.5, 14.5 }, { 30, 14.5 }, { 24.5, 28.5 } }), kYellowLight);
}

void drawHelp(QPainter &p)
{
    p.setPen(outline(kBlueDark, kStroke));
    p.setBrush(kBlue);
    p.drawEllipse(QPointF(16, 16), 13.5, 13.5);

    // Question mark: hook, stem and dot.
    QPainterPath q;
    q.moveTo(11.5, 12.5);
    q.cubicTo(11.5, 6.5, 20.5, 6.5, 20.5, 12);
    q.cubicTo(20.5, 15.5, 16, 15.5, 16, 19);
    p.setPen(QPen(kWhite, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(q);
    p.setPen(Qt::NoPen);
    p.setBrush(kWhite);
    p.drawEllipse(QPointF(16, 23.5), 2, 2);
}

void drawExit(QPainter &p)
{
    // Door frame with the dark opening.
    shape(p, polygon({ { 4.5, 3.5 }, { 19.5, 3.5 }, { 19.5, 28.5 }, { 4.5, 28.5 } }), kInk);
    // Door swung open towards the viewer.
    shape(p, polygon({ { 4.5, 3.5 }, { 12.5, 6.5 }, { 12.5, 30.5 }, { 4.5, 28.5 } }), kBlue);
    p.setPen(Qt::NoPen);
    p.setBrush(kYellowLight);
    p.drawEllipse(QPointF(10.5, 17.5), 1.1, 1.1);

    // Arrow out.
    shape(p,
          polygon({ { 14, 13.5 },
                    { 22, 13.5 },
                    { 22, 9 },
                    { 30, 16 },
                    { 22, 23 },
                    { 22, 18.5 },
                    { 14, 18.5 } }),
          kRed);
}

// Small gauge dial for the window icon (16 x 16).
void drawGauge(QPainter &p)
{
    const QPointF c(8, 8.5);
    p.setPen(QPen(kBlueDark, 1.2));
    p.setBrush(kWhite);
    p.drawEllipse(c, 7, 7);

    // Coloured scale arc from green to red.
    const QRectF arcBox(c.x() - 5, c.y() - 5, 10, 10);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kGreen, 1.6, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(arcBox, 120 * 16, 90 * 16); // left part
    p.setPen(QPen(kYellow, 1.6, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(arcBox, 60 * 16, 60 * 16);
    p.setPen(QPen(kRed, 1.6, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(arcBox, -30 * 16, 90 * 16);

    // Needle.
    const qreal angle = 50.0 * M_PI / 180.0;
    const QPointF tip = c + QPointF(std::cos(angle) * 5.2, -std::sin(angle) * 5.2);
    p.setPen(QPen(kInk, 1.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, tip);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawEllipse(c, 1.7, 1.7);
}

// ---- logo ------------------------------------------------------------------

void drawLogo(QPainter &p, const QSize &size)
{
    const QString word = QStringLiteral("D I R I R E Z E");

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Bold);
    font.setPixelSize(26);
    // Shrink until the word fits with a small margin.
    while (font.pixelSize() > 8 && QFontMetricsF(font).horizontalAdvance(word) > size.width() - 12)
        font.setPixelSize(font.pixelSize() - 1);

    const QFontMetricsF fm(font);
    const qreal textWidth = fm.horizontalAdvance(word);
    const qreal x = (size.width() - textWidth) / 2;
    // Centre the capitals plus the accent line below them vertically.
    const qreal lineGap = 6;
    const qreal capTop = (size.height() - fm.capHeight() - lineGap) / 2;
    const qreal baseline = capTop + fm.capHeight();

    p.setFont(font);
    p.setPen(kBlueDark);
    p.drawText(QPointF(x, baseline), word);

    // Thin accent line under the word.
    const qreal ly = baseline + lineGap;
    p.setPen(QPen(kBlue, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(x + 1, ly), QPointF(x + textWidth - 1, ly));
}

// ---- output ----------------------------------------------------------------

bool writeImage(const QDir &dir, const QString &name, QSize size,
                const std::function<void(QPainter &)> &draw)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        draw(p);
    }
    const QString path = dir.filePath(name);
    if (!image.save(path, "PNG")) {
        QTextStream(stderr) << "cannot write " << path << '\n';
        return false;
    }
    return true;
}

bool writeSvg(const QDir &dir, const QString &name, QSize size,
              const std::function<void(QPainter &)> &draw)
{
    const QString path = dir.filePath(name);
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle(QStringLiteral("tolvaren"));
    {
        QPainter p;
        if (!p.begin(&svg)) {
            QTextStream(stderr) << "cannot write " << path << '\n';
            return false;
        }
        p.setRenderHint(QPainter::Antialiasing);
        draw(p);
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "usage: " << argv[0] << " <output folder>\n";
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.exists()) {
        QTextStream(stderr) << "no such folder: " << dir.path() << '\n';
        return 2;
    }

    struct Icon
    {
        const char *name; // UTF-8
        int size;
        void (*draw)(QPainter &);
    };
    const Icon icons[] = {
        { "filesave.png", 32, drawFileSave },
        { "filesaveas.png", 32, drawFileSaveAs },
        { "fileopen.png", 32, drawFileOpen },
        { "fileprint.png", 32, drawFilePrint },
        { "connect_established.png", 32, drawConnected },
        { "connect_no.png", 32, drawDisconnected },
        { "download.png", 32, drawDownload },
        { "calc.png", 32, drawCalc },
        { "contents.png", 32, drawContents },
        { "help.png", 32, drawHelp },
        { "exit.png", 32, drawExit },
        { "Безымянный.png", 16, drawGauge },
    };

    bool ok = true;
    for (const Icon &icon : icons)
        ok &= writeImage(dir, QString::fromUtf8(icon.name), QSize(icon.size, icon.size), icon.draw);

    // The desktop icon: the window's gauge, drawn large at every size the icon theme asks for,
    // and once as a drawing that scales to any size.
    for (const int size : { 48, 64, 128, 256 }) {
        ok &= writeImage(dir, QStringLiteral("tolvaren-%1.png").arg(size), QSize(size, size),
                         [size](QPainter &p) {
                             p.scale(size / 16.0, size / 16.0);
                             drawGauge(p);
                         });
    }
    ok &= writeSvg(dir, QStringLiteral("tolvaren.svg"), QSize(16, 16), drawGauge);

    const QSize logoSize(220, 42);
    ok &= writeImage(dir, QStringLiteral("logo.png"), logoSize,
                     [&](QPainter &p) { drawLogo(p, logoSize); });

    return ok ? 0 : 1;
}
