// The peak memory of the worst file of changes Read accepts: just under the size bound, of
// one-character readings, read through the window. A process of its own, so that the peak is this
// read's and no other bench's. Prints figures; asserts nothing.

#include "bench/benchsupport.h"
#include "bench/figure.h"
#include "mainwindow/mainwindow.h"
#include "records/changefileload.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int groupCount = 4;
constexpr qint64 fileBytes = maxChangeFileBytes - maxChangeFileBytes / 640; // 63.9 MiB

// A figure of /proc/self/status, in KiB: VmHWM is the peak resident memory, VmRSS the present.
long statusKiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray name = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(name))
            return line.mid(name.size()).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Written a block at a time: a control of this many readings held as one would itself take the
// memory this bench measures.
qint64 writeShortReadings(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return -1;
    file.write("THE OBJECT OF CONTROL Pipeline 12\r\nINSPECTOR Team 2\r\n05.12.2026 14:03:09\r\n"
               "DEVICE X-100\r\nSN 517\r\n");
    const qint64 perGroup = (fileBytes - file.size()) / groupCount;
    qint64 readings = 0;
    for (int group = 1; group <= groupCount; ++group) {
        const QByteArray name = "GROUP#" + QByteArray::number(group);
        file.write(name);
        const qint64 count = (perGroup - name.size() - 2) / 2;
        QByteArray block;
        for (int i = 0; i < 1 << 16; ++i)
            block += ';' + QByteArray::number(i % 10);
        for (qint64 written = 0; written < count; written += block.size() / 2)
            file.write(block.left(std::min<qint64>(block.size(), (count - written) * 2)));
        file.write("\r\n");
        readings += count;
    }
    return readings;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("short.csv"));
    const qint64 readings = writeShortReadings(path);
    const double mib = double(QFile(path).size()) / (1 << 20);

    MainWindow window(nullptr, new NoDevices);
    window.show();
    QCoreApplication::processEvents();
    const long windowKiB = statusKiB("VmHWM");

    QElapsedTimer clock;
    clock.start();
    const bool read = window.readChangesFrom(path);
    QCoreApplication::processEvents();
    const double shownMs = double(clock.nsecsElapsed()) / 1e6;
    const long peakKiB = statusKiB("VmHWM");
    const long heldKiB = statusKiB("VmRSS");

    std::printf("file of changes: %.1f MiB, %d groups, %lld one-character readings, %s\n", mib,
                groupCount, static_cast<long long>(readings), read ? "read" : "NOT READ");
    std::printf("  window alone        %8.1f MiB peak\n", double(windowKiB) / 1024.0);
    std::printf("  read and shown      %8.1f MiB peak, %8.1f MiB held after, %8.1f ms\n",
                double(peakKiB) / 1024.0, double(heldKiB) / 1024.0, shownMs);
    const QByteArray what = QStringLiteral("Read %1 MiB of %L2 one-character readings")
                                .arg(mib, 0, 'f', 1)
                                .arg(readings)
                                .toUtf8();
    printFigure("read_short_readings_peak", double(peakKiB) / 1024.0, "MiB",
                what + " through the window: peak resident memory");
    printFigure("read_short_readings_held", double(heldKiB) / 1024.0, "MiB",
                what + ": resident memory once shown");
    printFigure("read_short_readings_ms", shownMs, "ms", what + ": until shown");
    return 0;
}
