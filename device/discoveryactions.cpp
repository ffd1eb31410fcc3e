#include "mainwindow/mainwindow.h"

#include "device/serialdeviceenumerator.h"

#include <QDebug>
#include <QSerialPort>

namespace {

// A list of texts as the diagnostics show it: ("a", "b"), each item quoted like a single text.
// The toolkit's own list output puts its type name in front.
QString quotedList(const QStringList &items)
{
    QStringList quoted;
    quoted.reserve(items.size());
    for (const QString &item : items) {
        QString text;
        QDebug(&text).nospace() << item;
        quoted.append(text);
    }
    return QLatin1Char('(') + quoted.join(QLatin1String(", ")) + QLatin1Char(')');
}

} // namespace

void MainWindow::showChange(const QStringList &devices)
{
    if (port) {
        if (devices.contains(port->portName()))
            return;
        closePort();
    }
    qDebug().noquote() << quotedList(devices);
    for (const QString &name : devices) {
        enumerator->setDeviceName(name);
        if (!enumerator->productID().contains(QLatin1String("6001"))
            && !enumerator->productID().contains(QLatin1String("2303")))
            continue;
        qDebug() << name;
        qDebug() << "-> productID    : " << enumerator->productID();
        qDebug() << "->     : " << enumerator->friendlyName();
        qDebug().noquote() << "->     : " << quotedList(enumerator->hardwareID());
        qDebug() << "->     : " << enumerator->name();
        qDebug() << "->     : " << enumerator->objectName();
        qDebug() << "->     : " << enumerator->revision();
        qDebug() << "->     : " << enumerator->vendorID();
        openPort(name);
        return;
    }
}
