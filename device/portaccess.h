#pragma once

#include <QString>

// What the system tells of the device behind a port's name, apart from opening it as a port: the
// one place that asks the operating system about serial devices by path.

// The device path of a port's name: the name itself when it is a path, else under /dev.
QString serialDevicePath(const QString &portName);

// A folder, a regular file or a device of another kind named as the adapter is no terminal at
// all. Where the device cannot even be opened to look (missing, forbidden, held) it may still be
// a port.
bool isNoTerminal(const QString &devicePath);

// Whether this user may read and write the device; a port that opens for neither then is held
// by another program rather than forbidden.
bool mayReadAndWrite(const QString &devicePath);
