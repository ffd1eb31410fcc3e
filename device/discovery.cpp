#include "mainwindow/mainwindow.h"

#include "device/serialdeviceenumerator.h"

#include <QDebug>
#include <QSerialPort>

void MainWindow::showChange(const QStringList &devices)
{
    if (port) {
        if (devices.contains(port->portName()))
            return;
        closePort();
    }
    qDebug() << devices;
    for (const QString &name : devices) {
        enumerator->setDeviceName(name);
        if (!enumerator->productID().contains(QLatin1String("6001"))
            && !enumerator->productID().contains(QLatin1String("2303")))
            continue;
        qDebug() << name;
        qDebug() << "-> productID    : " << enumerator->productID();
        qDebug() << "->     : " << enumerator->friendlyName();
        qDebug() << "->     : " << enumerator->hardwareID();
        qDebug() << "->     : " << enumerator->name();
        qDebug() << "->     : " << enumerator->objectName();
        qDebug() << "->     : " << enumerator->revision();
        qDebug() << "->     : " << enumerator->vendorID();
        openPort(name);
        return;
    }
}
