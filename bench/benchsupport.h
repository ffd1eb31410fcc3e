// What the benchmarks share: a large control to write and the median of repeated runs.
#pragma once

#include "device/serialdevicesource.h"
#include "records/control.h"

#include <QElapsedTimer>
#include <QList>
#include <QTemporaryDir>

#include <algorithm>
#include <functional>

// The benches' settings live in a folder of their own: a bench's window would otherwise leave its
// size, its folders and its files in the user's own settings.
inline const QString benchConfigHome = [] {
    static QTemporaryDir folder;
    qputenv("XDG_CONFIG_HOME", folder.path().toLocal8Bit());
    return folder.path();
}();

// A control of `groups` groups of `readings` readings each, with Cyrillic fields.
inline Control largeControl(int groups, int readings)
{
    Control content { QStringLiteral("Трубопровод 12"),
                      QStringLiteral("Бригада 2"),
                      QDateTime(QDate(2026, 12, 5), QTime(14, 3, 9)),
                      QStringLiteral("DEVICE X-100"),
                      QStringLiteral("SN 517"),
                      {} };
    for (int group = 0; group < groups; ++group) {
        Readings values;
        for (int i = 0; i < readings; ++i)
            values.append(
                QString::number(0.5 + double((group * readings + i) % 997) / 1000.0, 'f', 3));
        content.measurements.insert(QStringLiteral("GROUP#%1").arg(group + 1), values);
    }
    return content;
}

// The median of several runs, in milliseconds, so that one slow run does not decide.
inline double medianMs(int runs, const std::function<void()> &work)
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

// A machine without serial devices, so that a bench measures only its own work.
class NoDevices : public SerialDeviceSource
{
public:
    QList<SerialDeviceInfo> scan() override { return {}; }
    void start() override { }
};
