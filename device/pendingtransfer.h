#pragma once

#include "records/control.h"

#include <QDateTime>
#include <QString>

#include <optional>

// One transfer of the instrument as it stood when it ended or was cut off, which is its date and
// time; it names no object and no inspector.
struct ReceivedTransfer : Control
{
    qsizetype readingCount = 0;
};

// Collects a transfer apart from what is shown, so that what is shown only ever changes to a
// whole transfer. A serial-number line opens a transfer and its end line completes it; readings
// that come while none is open belong to no transfer and are only counted.
class PendingTransfer
{
public:
    // The last device line keeps naming the instrument for the transfers that follow it.
    void takeDeviceLine(const QString &line);

    // Opens a new transfer. A transfer still open is cut off and returned, its time set to at.
    std::optional<ReceivedTransfer> open(const QString &serialLine, const QDateTime &at);

    // False when no transfer is open: the reading is then counted as stray and dropped.
    bool addReading(const QString &group, const QString &value);

    // The open transfer as it stands, its time set to at, or nothing when none is open. Whether
    // it is complete (its end line came) or cut off (the line went) is the caller's to say.
    std::optional<ReceivedTransfer> close(const QDateTime &at);

    bool isOpen() const { return transferOpen; }
    const ReceivedTransfer &current() const { return transfer; }
    // Readings that came while no transfer was open, since the last one opened.
    qsizetype strayReadings() const { return stray; }

private:
    QString deviceName;
    ReceivedTransfer transfer;
    bool transferOpen = false;
    qsizetype stray = 0;
};
