// Speed and memory of the receive path and the table view. Prints figures; asserts nothing.

#include "bench/benchsupport.h"
#include "bench/figure.h"
#include "device/instrumenttext.h"
#include "device/lineframer.h"
#include "device/serialdevicesource.h"
#include "device/transferline.h"
#include "mainwindow/mainwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QTableView>

#include <cstdio>
#include <cstring>
#include <sys/resource.h>

namespace {

// 19200 baud with 8N1 framing carries ten bits per byte.
constexpr double lineRateBytesPerSecond = 19200.0 / 10.0;
constexpr int groupCount = 10;

void ignoreMessage(QtMsgType, const QMessageLogContext &, const QString &) { }

// Formats every message as the default output does, and writes it where nobody reads it.
FILE *sink = nullptr;
void printMessageNowhere(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const QByteArray text = qFormatLogMessage(type, context, message).toLocal8Bit();
    std::fwrite(text.constData(), 1, size_t(text.size()), sink);
    std::fputc('\n', sink);
}

// A serial line and `readings` group lines spread over the groups, without the end line.
QByteArray transferBody(qsizetype readings, qsizetype groups = groupCount)
{
    QByteArray body = "DEVICE X-100\r\nSN 517\r\n";
    for (qsizetype i = 0; i < readings; ++i)
        body += "GROUP#" + QByteArray::number(i % groups + 1) + ' '
            + QByteArray::number(0.5 + double(i % 997) / 1000.0, 'f', 3) + "\r\n";
    return body;
}

QByteArray transferOfAtLeast(qsizetype bytes)
{
    const QByteArray block = transferBody(10000).mid(22);
    QByteArray transfer = "DEVICE X-100\r\nSN 517\r\n";
    while (transfer.size() < bytes)
        transfer += block;
    return transfer;
}

// Deliveries of the size a USB-serial adapter hands over.
QList<QByteArray> cut(const QByteArray &transfer, qsizetype packet)
{
    QList<QByteArray> deliveries;
    for (qsizetype from = 0; from < transfer.size(); from += packet)
        deliveries.append(transfer.mid(from, packet));
    return deliveries;
}

// End line to drawn table taken the same way before the table became a view of the store, when it
// held one item per reading and was widened one column at a time: Release build, this 2-core
// machine.
struct TableBefore
{
    const char *key;
    double ms;
};
constexpr TableBefore tableBefore[] = {
    { "end_to_table_100000", 32.8 },
    { "end_to_table_25000_groups", 9971 },
    { "end_to_table_100000_groups", 41949 },
};
constexpr const char tableBeforeDate[] = "2026-12-07";

QByteArray tableFigureBefore(const QByteArray &key)
{
    for (const TableBefore &before : tableBefore) {
        if (key == before.key)
            return QByteArray::number(before.ms, 'f', 1) + " ms (" + tableBeforeDate + ")";
    }
    return {};
}

void printRate(const char *what, qsizetype bytes, qint64 nanoseconds, const QByteArray &key,
               const QByteArray &label)
{
    const double seconds = double(nanoseconds) / 1e9;
    const double bytesPerSecond = double(bytes) / seconds;
    std::printf("  %-52s %9.1f MB/s  %9.0f x line rate  (%.3f s)\n", what, bytesPerSecond / 1e6,
                bytesPerSecond / lineRateBytesPerSecond, seconds);
    printFigure(key, bytesPerSecond / 1e6, "MB/s", label);
    printFigure(key + "_ratio", bytesPerSecond / lineRateBytesPerSecond,
                "x line rate (1,920 bytes/s)", label + ": ratio to the line rate");
}

void benchFramer(const QByteArray &transfer)
{
    for (const qsizetype packet : { qsizetype(62), qsizetype(4096) }) {
        const QList<QByteArray> deliveries = cut(transfer, packet);
        LineFramer framer;
        qsizetype lines = 0;
        QElapsedTimer clock;
        clock.start();
        for (const QByteArray &delivery : deliveries)
            lines += framer.feed(delivery).size();
        const qint64 elapsed = clock.nsecsElapsed();
        const QByteArray what = "framer, " + QByteArray::number(packet) + "-byte deliveries, "
            + QByteArray::number(lines) + " lines";
        printRate(what.constData(), transfer.size(), elapsed,
                  "framer_" + QByteArray::number(packet),
                  "Framer, " + QByteArray::number(packet) + "-byte deliveries");
    }
}

void benchLineHandling(const QByteArray &transfer)
{
    LineFramer framer;
    const QList<QByteArray> lines = framer.feed(transfer);
    const TransferMarkers markers = TransferMarkers::current();
    qsizetype groups = 0;
    QElapsedTimer clock;
    clock.start();
    for (const QByteArray &line : lines)
        groups += interpretLine(decodeInstrumentText(line), markers).isGroup;
    printRate("decoding and marker tests alone", transfer.size(), clock.nsecsElapsed(),
              "decode_markers", "Decoding and marker tests alone");
    if (groups == 0)
        std::printf("  (no group lines recognised)\n");
}

void benchWindow(const QByteArray &transfer, qsizetype packet, QtMessageHandler handler,
                 const char *what, const QByteArray &key, const QByteArray &label)
{
    MainWindow window(nullptr, new NoDevices);
    const QList<QByteArray> deliveries = cut(transfer, packet);
    const QtMessageHandler previous = qInstallMessageHandler(handler);
    QElapsedTimer clock;
    clock.start();
    for (const QByteArray &delivery : deliveries)
        window.receiveDelivery(delivery);
    const qint64 elapsed = clock.nsecsElapsed();
    qInstallMessageHandler(previous);
    printRate(what, transfer.size(), elapsed, key, label);
}

// The table drawn from a fresh window, and again for a second transfer, which replaces the
// first's readings.
void benchEndToTable(qsizetype readings, qsizetype groups = groupCount)
{
    MainWindow window(nullptr, new NoDevices);
    window.show();
    auto *table = window.findChild<QTableView *>(QStringLiteral("tableMeasurement"));
    const QByteArray body = transferBody(readings, groups);
    const QByteArray count = QLocale(QLocale::English).toString(readings).toLatin1();
    // Figures of the ten-group transfers keep their old keys; those of many groups name them.
    const bool manyGroups = groups != groupCount;
    const QByteArray key = QByteArray::number(readings) + (manyGroups ? "_groups" : "");
    const QByteArray what = manyGroups ? count + " groups of one reading" : count + " readings";
    for (const char *which : { "first", "second" }) {
        window.receiveDelivery(body);
        QCoreApplication::processEvents();

        QElapsedTimer clock;
        clock.start();
        window.receiveDelivery("END\r\n");
        const qint64 handled = clock.nsecsElapsed();
        QCoreApplication::processEvents();
        const qint64 drawn = clock.nsecsElapsed();

        std::printf("  %s, %-6s transfer: end line handled %7.2f ms, table drawn "
                    "%7.2f ms  (%d x %d cells)\n",
                    what.constData(), which, double(handled) / 1e6, double(drawn) / 1e6,
                    table->model()->rowCount(), table->model()->columnCount());
        const bool first = std::strcmp(which, "first") == 0;
        const QByteArray figure = "end_to_table_" + key + (first ? "" : "_second");
        printFigure(figure, double(drawn) / 1e6, "ms",
                    "End line to drawn table, " + what + (first ? "" : ", second transfer"),
                    tableFigureBefore(figure));
    }

    // The slot on its own, over the same store and a table that shows it already.
    QElapsedTimer clock;
    clock.start();
    QMetaObject::invokeMethod(&window, "showData", Qt::DirectConnection);
    const double showDataMs = double(clock.nsecsElapsed()) / 1e6;
    std::printf("  %s, showData() alone: %7.2f ms\n", what.constData(), showDataMs);
    printFigure("showdata_" + key, showDataMs, "ms", "showData() alone, " + what);
}

long peakMemoryKiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    sink = std::fopen("/dev/null", "w");
    // The window's diagnostics would drown the figures; only the one stage that measures them
    // lets them through, formatted and written to /dev/null.
    qInstallMessageHandler(ignoreMessage);

#ifdef QT_DEBUG
    std::printf("(debug build: figures of an optimised build are higher)\n");
#endif
    const QByteArray transfer = transferOfAtLeast(10 * 1000 * 1000);
    std::printf("Synthetic transfer: %lld bytes; line rate 19200 baud = %.0f bytes/s\n",
                static_cast<long long>(transfer.size()), lineRateBytesPerSecond);

    std::printf("Framer:\n");
    benchFramer(transfer);
    std::printf("Line handling (diagnostics suppressed by a message handler that does nothing):\n");
    benchLineHandling(transfer);
    benchWindow(transfer, 62, ignoreMessage, "window, 62-byte deliveries, end to end", "handler",
                "Handler (window), 62-byte deliveries, diagnostics suppressed");
    std::printf("Line handling with the diagnostics formatted and written to /dev/null:\n");
    benchWindow(transfer, 62, printMessageNowhere, "window, 62-byte deliveries, end to end",
                "handler_diagnostics",
                "Handler (window), 62-byte deliveries, diagnostics written to /dev/null");

    std::printf("End line to drawn table (offscreen, diagnostics suppressed), %d groups:\n",
                groupCount);
    for (const qsizetype readings : { 1000, 10000, 100000 })
        benchEndToTable(readings);
    std::printf("End line to drawn table, one reading per group:\n");
    for (const qsizetype groups : { 25000, 100000 })
        benchEndToTable(groups, groups);

    std::printf("Peak memory (ru_maxrss): %ld KiB\n", peakMemoryKiB());
    printFigure("bench_transfer_peak", double(peakMemoryKiB()) / 1024.0, "MiB",
                "Peak memory of this receive-path bench (10 MB transfer held twice)");
    std::fclose(sink);
    return 0;
}
