#pragma once

#include "device/serialdevicesource.h"

// A machine without serial devices, for tests that need a window but no instrument.
class NoDevices : public SerialDeviceSource
{
public:
    QList<SerialDeviceInfo> scan() override { return {}; }
    void start() override { }
};
