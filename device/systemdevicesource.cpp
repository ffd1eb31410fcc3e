#include "device/systemdevicesource.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QSocketNotifier>
#include <QTimer>

#ifdef TOLVAREN_HAVE_LIBUDEV
#include <libudev.h>
#endif

namespace {

// The product identifier that makes discovery take a device for the instrument's adapter.
const QString namedDeviceProductId = QStringLiteral("6001");

} // namespace

SystemDeviceSource::SystemDeviceSource(const QString &device, QObject *parent)
    : SerialDeviceSource(parent)
    // A relative name means a file of the working directory, as everywhere on the command line;
    // the port would take it for a name under /dev ("tty" for the controlling terminal).
    , namedDevice(device.isEmpty() ? QString() : QFileInfo(device).absoluteFilePath())
{ }

SystemDeviceSource::~SystemDeviceSource()
{
#ifdef TOLVAREN_HAVE_LIBUDEV
    // The notifier must let go of the descriptor before the monitor closes it.
    delete monitorNotifier;
    if (monitor)
        udev_monitor_unref(monitor);
    if (udevContext)
        udev_unref(udevContext);
#endif
}

QString SystemDeviceSource::usbIdentifier(quint16 value)
{
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0'));
}

QString SystemDeviceSource::listedName(const QString &path)
{
    QSerialPort probe;
    probe.setPortName(path);
    return probe.portName();
}

QList<SerialDeviceInfo> SystemDeviceSource::scan()
{
    QList<SerialDeviceInfo> devices;
    const QString named = namedDevice.isEmpty() ? QString() : listedName(namedDevice);
    bool namedListed = false;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &port : ports) {
        SerialDeviceInfo info;
        info.name = port.portName();
        if (port.hasProductIdentifier())
            info.productId = usbIdentifier(port.productIdentifier());
        if (port.hasVendorIdentifier())
            info.vendorId = usbIdentifier(port.vendorIdentifier());
        info.description = port.description();
        info.manufacturer = port.manufacturer();
        info.serialNumber = port.serialNumber();
        info.systemLocation = port.systemLocation();
        if (!named.isEmpty() && info.name == named) {
            info.productId = namedDeviceProductId;
            namedListed = true;
        }
        devices.append(info);
    }
    // Pseudo-terminals and other devices that the system does not list as serial ports.
    if (!named.isEmpty() && !namedListed && QFileInfo::exists(namedDevice)) {
        SerialDeviceInfo info;
        info.name = named;
        info.productId = namedDeviceProductId;
        info.systemLocation = QFileInfo(namedDevice).absoluteFilePath();
        devices.append(info);
    }
    return devices;
}

void SystemDeviceSource::start()
{
    if (monitor || deviceDirectoryWatcher || rescanTimer)
        return;
    const bool namedDeviceWatched = namedDevice.isEmpty() || watchNamedDevice();
    if (namedDeviceWatched && (startUdevMonitor() || watchDeviceDirectory()))
        return;
    rescanTimer = new QTimer(this);
    rescanTimer->setObjectName(QStringLiteral("rescanTimer"));
    rescanTimer->setInterval(rescanIntervalMs);
    connect(rescanTimer, &QTimer::timeout, this, &SerialDeviceSource::changed);
    rescanTimer->start();
}

bool SystemDeviceSource::startUdevMonitor()
{
#ifdef TOLVAREN_HAVE_LIBUDEV
    // Without the udev daemon a monitor can be created but never hears of anything (containers,
    // minimal systems); the daemon's control socket tells whether it runs.
    if (!QFileInfo::exists(QStringLiteral("/run/udev/control")))
        return false;
    udevContext = udev_new();
    if (!udevContext)
        return false;
    monitor = udev_monitor_new_from_netlink(udevContext, "udev");
    if (monitor
        && (udev_monitor_filter_add_match_subsystem_devtype(monitor, "tty", nullptr) < 0
            || udev_monitor_enable_receiving(monitor) < 0)) {
        udev_monitor_unref(monitor);
        monitor = nullptr;
    }
    if (!monitor) {
        udev_unref(udevContext);
        udevContext = nullptr;
        return false;
    }
    monitorNotifier =
        new QSocketNotifier(udev_monitor_get_fd(monitor), QSocketNotifier::Read, this);
    connect(monitorNotifier, &QSocketNotifier::activated, this, &SystemDeviceSource::readUdevEvent);
    return true;
#else
    return false;
#endif
}

void SystemDeviceSource::readUdevEvent()
{
#ifdef TOLVAREN_HAVE_LIBUDEV
    // One event per wake-up; the notifier fires again while more are queued. Every tty event
    // may change the list, and the enumerator drops reports of an unchanged one.
    if (udev_device *device = udev_monitor_receive_device(monitor))
        udev_device_unref(device);
    emit changed();
#endif
}

bool SystemDeviceSource::watchNamedDevice()
{
    // A pseudo-terminal comes and goes without a udev event. Watching its directory costs
    // nothing while nothing happens there.
    namedDeviceWatcher = new QFileSystemWatcher(this);
    const QString directory = QFileInfo(namedDevice).absolutePath();
    connect(namedDeviceWatcher, &QFileSystemWatcher::directoryChanged, this,
            &SerialDeviceSource::changed);
    return namedDeviceWatcher->addPath(directory);
}

bool SystemDeviceSource::watchDeviceDirectory()
{
    // Without udev the kernel still makes and removes the device nodes in /dev, and the file
    // system tells of each at once, at no cost while nothing happens there.
    deviceDirectoryWatcher = new QFileSystemWatcher(this);
    connect(deviceDirectoryWatcher, &QFileSystemWatcher::directoryChanged, this,
            &SerialDeviceSource::changed);
    return deviceDirectoryWatcher->addPath(QStringLiteral("/dev"));
}
