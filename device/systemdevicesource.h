#pragma once

#include "device/serialdevicesource.h"

// The serial devices of this machine, as QSerialPortInfo lists them, plus an optional device
// named on the command line that counts as the instrument's adapter while its file exists.
class SystemDeviceSource : public SerialDeviceSource
{
    Q_OBJECT
public:
    explicit SystemDeviceSource(const QString &namedDevice, QObject *parent = nullptr);

    QList<SerialDeviceInfo> scan() override;
    void start() override;

private:
    QString namedDevice;
};
