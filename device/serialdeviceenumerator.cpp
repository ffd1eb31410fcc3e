#include "device/serialdeviceenumerator.h"

#include "device/systemdevicesource.h"

#include <QTimer>

SerialDeviceEnumerator::SerialDeviceEnumerator(SerialDeviceSource *source, QObject *parent)
    : QObject(parent)
    , deviceSource(source ? source : new SystemDeviceSource(QString()))
{
    deviceSource->setParent(this);
    connect(deviceSource, &SerialDeviceSource::changed, this, [this] {
        if (enabled)
            rescan();
    });
}

void SerialDeviceEnumerator::setEnabled(bool enable)
{
    if (enabled == enable)
        return;
    enabled = enable;
    if (!enabled)
        return;
    if (!reportedOnce)
        deviceSource->start();
    rescan();
}

void SerialDeviceEnumerator::rescan()
{
    present = deviceSource->scan();
    QStringList names;
    names.reserve(present.size());
    for (const SerialDeviceInfo &device : std::as_const(present))
        names.append(device.name);
    if (reportedOnce && names == reportedNames)
        return;
    reportedOnce = true;
    reportedNames = names;
    emit hasChanged(names);
}

void SerialDeviceEnumerator::reportGone(const QString &deviceName)
{
    if (!enabled || !reportedNames.contains(deviceName))
        return;
    reportedNames.removeAll(deviceName);
    emit hasChanged(reportedNames);
    // The system may have no news to send: the device can be back under its old name before the
    // port noticed it was gone (a link re-pointed at a new line), so look again once by ourselves.
    QTimer::singleShot(lookAgainAfterGoneMs, this, [this] {
        if (enabled)
            rescan();
    });
}

void SerialDeviceEnumerator::setDeviceName(const QString &deviceName)
{
    selected = SerialDeviceInfo();
    selected.name = deviceName;
    for (const SerialDeviceInfo &device : std::as_const(present)) {
        if (device.name == deviceName) {
            selected = device;
            break;
        }
    }
}

QString SerialDeviceEnumerator::name() const
{
    return selected.name;
}

QString SerialDeviceEnumerator::productID() const
{
    return selected.productId;
}

QString SerialDeviceEnumerator::vendorID() const
{
    return selected.vendorId;
}

QString SerialDeviceEnumerator::friendlyName() const
{
    return selected.description;
}

QStringList SerialDeviceEnumerator::hardwareID() const
{
    QStringList ids;
    if (!selected.vendorId.isEmpty() || !selected.productId.isEmpty())
        ids.append(QStringLiteral("USB\\VID_%1&PID_%2")
                       .arg(selected.vendorId.toUpper(), selected.productId.toUpper()));
    if (!selected.serialNumber.isEmpty())
        ids.append(selected.serialNumber);
    if (!selected.systemLocation.isEmpty())
        ids.append(selected.systemLocation);
    return ids;
}

QString SerialDeviceEnumerator::revision() const
{
    // QSerialPortInfo does not tell a device's revision on any platform.
    return QString();
}
