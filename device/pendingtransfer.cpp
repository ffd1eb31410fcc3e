#include "device/pendingtransfer.h"

#include <utility>

void PendingTransfer::takeDeviceLine(const QString &line)
{
    // A device line may come anywhere, inside a transfer too; the last one before its end counts.
    deviceName = line;
    transfer.deviceName = line;
}

std::optional<ReceivedTransfer> PendingTransfer::open(const QString &serialLine,
                                                      const QDateTime &at)
{
    std::optional<ReceivedTransfer> cut = close(at);
    transferOpen = true;
    transfer.deviceName = deviceName;
    transfer.serialNumber = serialLine;
    stray = 0;
    return cut;
}

bool PendingTransfer::addReading(const QString &group, const QString &value)
{
    if (!transferOpen) {
        ++stray;
        return false;
    }
    transfer.measurements[group].append(value);
    ++transfer.readingCount;
    return true;
}

std::optional<ReceivedTransfer> PendingTransfer::close(const QDateTime &at)
{
    if (!std::exchange(transferOpen, false))
        return std::nullopt;
    ReceivedTransfer closed = std::exchange(transfer, ReceivedTransfer());
    closed.dateTime = at;
    return closed;
}
