#pragma once

#include "device/serialdevicesource.h"

// A machine whose serial devices a test chooses: play() hands over a new list and tells the
// enumerator to look again, as a device event would.
class FakeDeviceSource : public SerialDeviceSource
{
public:
    explicit FakeDeviceSource(QList<SerialDeviceInfo> initial = {})
        : devices(std::move(initial))
    { }

    QList<SerialDeviceInfo> scan() override
    {
        ++scans;
        return devices;
    }
    void start() override { started = true; }

    void play(const QList<SerialDeviceInfo> &next)
    {
        devices = next;
        emit changed();
    }

    static SerialDeviceInfo device(const QString &name, const QString &productId,
                                   const QString &vendorId = QStringLiteral("0403"))
    {
        SerialDeviceInfo info;
        info.name = name;
        info.productId = productId;
        info.vendorId = vendorId;
        info.description = QStringLiteral("USB serial converter");
        info.manufacturer = QStringLiteral("FTDI");
        info.serialNumber = QStringLiteral("A50285BI");
        info.systemLocation = QStringLiteral("/dev/") + name;
        return info;
    }

    QList<SerialDeviceInfo> devices;
    int scans = 0;
    bool started = false;
};
