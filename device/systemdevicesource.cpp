#include "device/systemdevicesource.h"

#include <QSerialPortInfo>

namespace {

QString usbIdentifier(bool known, quint16 value)
{
    return known ? QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0')) : QString();
}

} // namespace

SystemDeviceSource::SystemDeviceSource(const QString &device, QObject *parent)
    : SerialDeviceSource(parent)
    , namedDevice(device)
{
}

QList<SerialDeviceInfo> SystemDeviceSource::scan()
{
    QList<SerialDeviceInfo> devices;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &port : ports) {
        SerialDeviceInfo info;
        info.name = port.portName();
        info.productId = usbIdentifier(port.hasProductIdentifier(), port.productIdentifier());
        info.vendorId = usbIdentifier(port.hasVendorIdentifier(), port.vendorIdentifier());
        info.description = port.description();
        info.manufacturer = port.manufacturer();
        info.serialNumber = port.serialNumber();
        info.systemLocation = port.systemLocation();
        devices.append(info);
    }
    return devices;
}

void SystemDeviceSource::start()
{
}
