#include "mainwindow/mainwindow.h"
#include "ui_mainwindow.h"

#include <QDebug>
#include <QMessageBox>
#include <QSerialPort>

void MainWindow::openPort(QString name)
{
    port = new QSerialPort(this);
    port->setPortName(name);
    connect(port, &QSerialPort::readyRead, this, &MainWindow::transaction);
    if (port->open(QIODevice::ReadWrite)) {
        port->setBaudRate(QSerialPort::Baud19200);
        port->setDataBits(QSerialPort::Data8);
        port->setParity(QSerialPort::NoParity);
        port->setStopBits(QSerialPort::OneStop);
        port->setFlowControl(QSerialPort::NoFlowControl);
        ui->actionConnection->setChecked(true);
        qDebug() << "Open port " << port->portName();
        return;
    }
    ui->actionConnection->setChecked(false);
    const QString failedName = port->portName();
    QMessageBox::critical(this, tr("Failed to open port"),
                          tr("The serial port used by another application"));
    qDebug() << "Serial device by default: " << failedName << " open fail.";
}

void MainWindow::closePort()
{
    ui->actionConnection->setChecked(false);
    port->close();
    delete port;
    qDebug() << "Close port";
    port = nullptr;
    // Whatever the instrument sent last without a line feed is a line of its own.
    handleUnfinishedLine();
}
