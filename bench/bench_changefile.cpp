// Save and read times of a large file of changes, in memory and on disk. Prints figures; asserts
// nothing.

#include "records/changefile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int groupCount = 1000;
constexpr int valuesPerGroup = 100;
constexpr int runs = 7;

ChangeFileContent largeControl()
{
    ChangeFileContent content;
    content.object = QStringLiteral("Трубопровод 12");
    content.inspector = QStringLiteral("Бригада 2");
    content.dateTime = QDateTime(QDate(2026, 12, 5), QTime(14, 3, 9));
    content.deviceName = QStringLiteral("DEVICE X-100");
    content.serialNumber = QStringLiteral("SN 517");
    for (int group = 0; group < groupCount; ++group) {
        QStringList values;
        values.reserve(valuesPerGroup);
        for (int i = 0; i < valuesPerGroup; ++i)
            values << QString::number(0.5 + double((group * valuesPerGroup + i) % 997) / 1000.0,
                                      'f', 3);
        content.measurements.insert(QStringLiteral("GROUP#%1").arg(group + 1), values);
    }
    return content;
}

// The median of several runs, in milliseconds, so that one slow run does not decide.
double medianMs(const std::function<void()> &work)
{
    QList<double> times;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        work();
        times << double(timer.nsecsElapsed()) / 1e6;
    }
    std::sort(times.begin(), times.end());
    return times.at(runs / 2);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const ChangeFileContent content = largeControl();

    QByteArray bytes;
    const double writeMemory = medianMs([&] {
        bytes.clear();
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        writeChangeFile(buffer, content);
    });
    qsizetype groupsRead = 0;
    const double readMemory = medianMs([&] {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        groupsRead = readChangeFile(buffer).measurements.size();
    });

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("bench.csv"));
    const double writeDisk = medianMs([&] {
        QSaveFile file(path);
        if (file.open(QIODevice::WriteOnly) && writeChangeFile(file, content))
            file.commit();
    });
    const double readDisk = medianMs([&] {
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
        std::printf("figure\t%s\t%.6g\tms\t%s\n", figure.key, figure.ms, figure.label);
    return 0;
}
