#pragma once

#include <QList>
#include <QObject>
#include <QString>

// What the machine tells about one serial device.
struct SerialDeviceInfo
{
    QString name; // the port name, in the form QSerialPort::portName() gives
    QString productId; // USB product identifier, four lowercase hexadecimal digits, or empty
    QString vendorId; // USB vendor identifier, the same form
    QString description;
    QString manufacturer;
    QString serialNumber;
    QString systemLocation;
};

// Where the device enumerator learns which serial devices exist and when to look again. The system
// source watches the operating system; tests play their own sequences of device lists.
class SerialDeviceSource : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // The devices present now, in the system's order.
    virtual QList<SerialDeviceInfo> scan() = 0;

    // Starts watching; from then on changed() is emitted whenever the set of devices may differ.
    virtual void start() = 0;

signals:
    void changed();
};
