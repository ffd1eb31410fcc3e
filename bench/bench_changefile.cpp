// Save and read times of a large file of changes, in memory and on disk, and how a file near the
// size bound reads through the window. Prints figures; asserts nothing.

#include "bench/benchsupport.h"
#include "bench/figure.h"
#include "mainwindow/mainwindow.h"
#include "records/changefile.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>

namespace {

constexpr int groupCount = 1000;
constexpr int valuesPerGroup = 100;
constexpr int runs = 7;

// A large file read through the window twice, the second time over the first's readings: how long
// until its table shows, and the longest the window went meanwhile without handling its events,
// which is how long it looked frozen.
void benchReadThroughWindow(const QByteArray &key, int groups, int readings)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("large.csv"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !writeChangeFile(file, largeControl(groups, readings)))
        return;
    file.close();
    const QString what = QStringLiteral("%L1 groups x %L2 values, %L3 MiB")
                             .arg(groups)
                             .arg(readings)
                             .arg(double(file.size()) / (1 << 20), 0, 'f', 1);

    MainWindow window(nullptr, new NoDevices);
    window.show();
    QCoreApplication::processEvents();
    for (const char *which : { "first", "second" }) {
        QElapsedTimer sinceLastTurn;
        qint64 longestStall = 0;
        QTimer turn;
        QObject::connect(&turn, &QTimer::timeout,
                         [&] { longestStall = std::max(longestStall, sinceLastTurn.restart()); });
        turn.start(5);
        sinceLastTurn.start();
        QElapsedTimer clock;
        clock.start();
        window.readChangesFrom(path);
        QCoreApplication::processEvents();
        const double shownMs = double(clock.nsecsElapsed()) / 1e6;
        longestStall = std::max(longestStall, sinceLastTurn.elapsed());
        std::printf("  read through the window, %s, %-6s: shown after %8.1f ms, longest stall "
                    "%6lld ms\n",
                    qPrintable(what), which, shownMs, static_cast<long long>(longestStall));
        const bool first = std::strcmp(which, "first") == 0;
        const QString label = QStringLiteral("Read %1 through the window%2")
                                  .arg(what, first ? QString() : QStringLiteral(", second time"));
        printFigure("window_read_" + key + (first ? "" : "_second"), shownMs, "ms", label.toUtf8());
        printFigure("window_stall_" + key + (first ? "" : "_second"), double(longestStall), "ms",
                    "Longest stall of that read");
    }

    // Every reading selected at once, as Ctrl+A does: until the status bar shows their figures.
    auto *table = window.findChild<QTableView *>(QStringLiteral("tableMeasurement"));
    QElapsedTimer clock;
    clock.start();
    table->selectAll();
    QCoreApplication::processEvents();
    const double selectedMs = double(clock.nsecsElapsed()) / 1e6;
    std::printf("  all of it selected: figures shown after %8.1f ms\n", selectedMs);
    printFigure("select_all_" + key, selectedMs, "ms",
                QStringLiteral("Select all of %1, to its figures").arg(what).toUtf8());
}

// One reading of twenty million characters, within the file's bound: how long a repaint of the
// table holding it takes.
void benchRepaintOfLongReading()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("long.csv"));
    Control content;
    content.measurements.insert(QStringLiteral("GROUP#1"), { QString(20'000'000, u'7') });
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !writeChangeFile(file, content))
        return;
    file.close();
    MainWindow window(nullptr, new NoDevices);
    window.show();
    window.readChangesFrom(path);
    QCoreApplication::processEvents();
    auto *table = window.findChild<QTableView *>(QStringLiteral("tableMeasurement"));
    const double repaintMs = medianMs(runs, [&] { table->viewport()->repaint(); });
    std::printf("  repaint of a table holding a reading of 20,000,000 characters: %8.1f ms\n",
                repaintMs);
    printFigure("repaint_long_reading", repaintMs, "ms",
                "Repaint of a table holding a reading of 20,000,000 characters");
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // The program's diagnostics (the device list, the platform's notes) are not this bench's.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    const Control content = largeControl(groupCount, valuesPerGroup);

    QByteArray bytes;
    const double writeMemory = medianMs(runs, [&] {
        bytes.clear();
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        writeChangeFile(buffer, content);
    });
    qsizetype groupsRead = 0;
    const double readMemory = medianMs(runs, [&] {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        groupsRead = readChangeFile(buffer).measurements.size();
    });

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("bench.csv"));
    const double writeDisk = medianMs(runs, [&] {
        QSaveFile file(path);
        if (file.open(QIODevice::WriteOnly) && writeChangeFile(file, content))
            file.commit();
    });
    const double readDisk = medianMs(runs, [&] {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            groupsRead = readChangeFile(file).measurements.size();
    });

    std::printf("file of changes: %d groups x %d values, %.1f KiB, %lld groups read back\n",
                groupCount, valuesPerGroup, double(bytes.size()) / 1024.0,
                static_cast<long long>(groupsRead));
    std::printf("  save to memory            %8.1f ms\n", writeMemory);
    std::printf("  read from memory          %8.1f ms\n", readMemory);
    std::printf("  save to disk (QSaveFile)  %8.1f ms\n", writeDisk);
    std::printf("  read from disk            %8.1f ms\n", readDisk);
    std::printf("(median of %d runs each)\n", runs);
    // The same, for scripts: figure, key, value, unit, label, tab-separated.
    const struct
    {
        const char *key;
        double ms;
        const char *label;
    } figures[] = {
        { "save_memory", writeMemory, "Save 1,000 x 100 values, to memory" },
        { "read_memory", readMemory, "Read 1,000 x 100 values, from memory" },
        { "save_disk", writeDisk, "Save 1,000 x 100 values, to disk" },
        { "read_disk", readDisk, "Read 1,000 x 100 values, from disk" },
    };
    for (const auto &figure : figures)
        printFigure(figure.key, figure.ms, "ms", figure.label);

    benchReadThroughWindow("10x1000000", 10, 1000000);
    benchReadThroughWindow("100000x1", 100000, 1);
    benchRepaintOfLongReading();
    return 0;
}
