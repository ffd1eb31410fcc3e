#pragma once

#include "device/serialdevicesource.h"

class QFileSystemWatcher;
class QSocketNotifier;
class QTimer;
struct udev;
struct udev_monitor;

// The serial devices of this machine, as QSerialPortInfo lists them, plus an optional device
// named on the command line that counts as the instrument's adapter while its file exists.
// Changes are learnt from udev, or where no udev daemon runs from the file system's notices about
// /dev; only where neither can tell, the devices are looked at again every few seconds.
class SystemDeviceSource : public SerialDeviceSource
{
    Q_OBJECT
public:
    // How often the fallback looks again when the system sends no device events.
    static constexpr int rescanIntervalMs = 2000;

    explicit SystemDeviceSource(const QString &namedDevice, QObject *parent = nullptr);
    ~SystemDeviceSource() override;

    QList<SerialDeviceInfo> scan() override;
    void start() override;

    // True once start() has found udev usable.
    bool watchesSystemEvents() const { return monitor != nullptr; }

    // The name under which the device at path is listed: QSerialPort's form of it ("pts/3"
    // for "/dev/pts/3"), so that an open port's name compares equal to its list entry.
    static QString listedName(const QString &path);

    // A USB identifier as the system writes it (udev, sysfs): four lowercase hexadecimal digits.
    static QString usbIdentifier(quint16 value);

private:
    bool startUdevMonitor();
    void readUdevEvent();
    bool watchNamedDevice();
    bool watchDeviceDirectory();

    QString namedDevice;
    struct udev *udevContext = nullptr;
    struct udev_monitor *monitor = nullptr;
    QSocketNotifier *monitorNotifier = nullptr;
    QTimer *rescanTimer = nullptr;
    QFileSystemWatcher *namedDeviceWatcher = nullptr;
    QFileSystemWatcher *deviceDirectoryWatcher = nullptr;
};
