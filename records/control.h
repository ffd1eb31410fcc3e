#pragma once

#include "records/measurements.h"

#include <QDateTime>
#include <QString>

// One control: what the window shows, a file of changes holds, a transfer brings and a protocol
// reports.
struct Control
{
    QString object; // without its prefix
    QString inspector; // without its prefix
    QDateTime dateTime; // invalid when not known, as for a file whose date line does not parse
    QString deviceName;
    QString serialNumber;
    Measurements measurements;

    // The device and serial-number lines, as the operator knows the instrument by.
    QString instrument() const;
};
