// History over a large archive: 10,000 kept controls of 100 readings each. The first index, an
// update that finds nothing new, the window's start with and without the archive, History's
// opening, each keystroke of its filter, and Compare. Prints figures; asserts nothing.

#include "bench/benchsupport.h"
#include "bench/figure.h"
#include "dialogs/compare.h"
#include "dialogs/history.h"
#include "mainwindow/mainwindow.h"
#include "records/archiveindex.h"
#include "records/archiveindexer.h"
#include "records/changefile.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

constexpr int controlCount = 10000;
constexpr int objectCount = 100;

// Writes the archive: each control of one of the objects, an hour after the one before.
bool writeArchive(const QString &folder)
{
    Control control = largeControl(10, 10);
    const QDateTime first(QDate(2025, 1, 1), QTime(8, 0));
    for (int i = 0; i < controlCount; ++i) {
        control.object = QStringLiteral("Трубопровод %1").arg(i % objectCount);
        control.dateTime = first.addSecs(3600LL * i);
        control.serialNumber = QStringLiteral("SN %1").arg(500 + i % 7);
        QFile file(QStringLiteral("%1/%2.csv").arg(folder).arg(i, 5, 10, QLatin1Char('0')));
        if (!file.open(QIODevice::WriteOnly) || !writeChangeFile(file, control))
            return false;
    }
    return true;
}

double elapsedMs(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

// From construction to the first frame of the window, with the archive or without; the median
// of several starts. The window's end, which waits for its index's thread, is not counted.
double windowStartMs(const QString &folder, const QString &database)
{
    QList<double> times;
    for (int run = 0; run < 7; ++run) {
        QElapsedTimer timer;
        timer.start();
        auto window = std::make_unique<MainWindow>(nullptr, new NoDevices);
        if (!folder.isEmpty())
            window->setTransferArchiveFolder(folder, database);
        window->show();
        QCoreApplication::processEvents();
        times << double(timer.nsecsElapsed()) / 1e6;
    }
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir scratch;
    const QString folder = scratch.filePath(QStringLiteral("transfers"));
    const QString database = scratch.filePath(QStringLiteral("index.sqlite"));
    QDir().mkpath(folder);
    std::printf("  writing %d controls of 100 readings…\n", controlCount);
    if (!writeArchive(folder))
        return 1;

    double firstMs = 0;
    double againMs = 0;
    {
        ArchiveIndex index(folder, database);
        firstMs = elapsedMs([&] { index.update(); });
        againMs = elapsedMs([&] { index.update(); });
    }
    std::printf("  first index %.0f ms, update that finds nothing new %.0f ms (both beside the "
                "window)\n",
                firstMs, againMs);
    printFigure("history_first_index", firstMs, "ms", "History: first index of 10,000 controls");
    printFigure("history_update_nothing_new", againMs, "ms",
                "History: update at start, nothing new (beside the window)");

    const double without = windowStartMs({}, {});
    const double with = windowStartMs(folder, database);
    std::printf("  window start: %.1f ms without an archive, %.1f ms with an up-to-date one\n",
                without, with);
    printFigure("history_startup_added", with - without, "ms",
                "History: start-up added by an up-to-date index (median)");

    MainWindow window(nullptr, new NoDevices);
    window.setTransferArchiveFolder(folder, database);
    window.show();
    QSignalSpy updated(window.archiveIndexer(), &ArchiveIndexer::updateFinished);
    updated.wait(60000);
    QAction *historyAction = window.findChild<QAction *>(QStringLiteral("actionHistory"));
    const double openMs = elapsedMs([&] {
        historyAction->trigger();
        QCoreApplication::processEvents();
    });
    printFigure("history_open", openMs, "ms", "History: open over 10,000 controls");

    auto *history = window.findChild<History *>();
    auto *filter = history->findChild<QLineEdit *>(QStringLiteral("filterEdit"));
    const QString typed = QStringLiteral("трубопровод 42");
    double slowest = 0;
    double total = 0;
    for (qsizetype length = 1; length <= typed.size(); ++length) {
        const double ms = elapsedMs([&] {
            filter->setText(typed.left(length));
            QCoreApplication::processEvents();
        });
        slowest = std::max(slowest, ms);
        total += ms;
    }
    std::printf("  filter: %.1f ms per keystroke on average, %.1f ms the slowest\n",
                total / double(typed.size()), slowest);
    printFigure("history_keystroke_max", slowest, "ms", "History: slowest filter keystroke");

    auto *table = history->findChild<QTableView *>(QStringLiteral("historyTable"));
    table->selectRow(0);
    const double compareMs = elapsedMs([&] {
        history->findChild<QPushButton *>(QStringLiteral("compareButton"))->click();
        QCoreApplication::processEvents();
    });
    printFigure("history_compare", compareMs, "ms", "History: Compare with its chart");
    return 0;
}
