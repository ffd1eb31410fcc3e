// Save and read times of a large file of changes, in memory and on disk. Prints figures; asserts
// nothing.

#include "bench/benchsupport.h"
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

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const ChangeFileContent content = largeControl(groupCount, valuesPerGroup);

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
        std::printf("figure\t%s\t%.6g\tms\t%s\n", figure.key, figure.ms, figure.label);
    return 0;
}
