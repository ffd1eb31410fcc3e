#include "mainwindow/mainwindow.h"
#include "ui_mainwindow.h"

#include "device/serialdeviceenumerator.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QSerialPort>

namespace {

// The system's reason for a failed open, with a hint where the user can act on it.
QString openFailureReason(const QSerialPort &failed)
{
    QString reason = failed.errorString();
#ifdef Q_OS_LINUX
    if (failed.error() == QSerialPort::PermissionError)
        reason += QLatin1Char('\n')
            + QCoreApplication::translate(
                      "MainWindow",
                      "To use serial devices, ask your administrator to add your user to the "
                      "\"dialout\" group, then log out and in again.");
#endif
    return reason;
}

} // namespace

void MainWindow::openPort(QString name)
{
    port = new QSerialPort(this);
    port->setPortName(name);
    connect(port, &QSerialPort::readyRead, this, &MainWindow::transaction);
    // An adapter pulled out leaves a port that reports a resource error; a hung-up line (a
    // pseudo-terminal whose other side closed) one whose every read fails, which the toolkit
    // reports as a read error, again at each turn of the event loop. Either way the port is
    // dead: it is closed as if discovery had seen its device go, which also lets discovery open
    // it again when it comes back. Queued, because the port must not be deleted inside its own
    // signal.
    const QPointer<QSerialPort> watched(port);
    connect(
        port, &QSerialPort::errorOccurred, this,
        [this, watched](QSerialPort::SerialPortError error) {
            if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError)
                return;
            if (!watched || watched != port)
                return;
            enumerator->reportGone(watched->portName());
            // Not listed by the enumerator (or no longer): still let go of the port.
            if (watched && port == watched)
                closePort();
        },
        Qt::QueuedConnection);
    if (port->open(QIODevice::ReadWrite)) {
        port->setBaudRate(QSerialPort::Baud19200);
        port->setDataBits(QSerialPort::Data8);
        port->setParity(QSerialPort::NoParity);
        port->setStopBits(QSerialPort::OneStop);
        port->setFlowControl(QSerialPort::NoFlowControl);
        ui->actionConnection->setChecked(true);
        showConnectionState();
        qDebug() << "Open port " << port->portName();
        return;
    }
    ui->actionConnection->setChecked(false);
    showConnectionState();
    // The box runs a nested event loop in which discovery may close and delete this port, so
    // everything the failure path needs is taken now.
    const QString failedName = port->portName();
    QMessageBox box(QMessageBox::Critical, tr("Failed to open port"),
                    tr("The serial port used by another application"), QMessageBox::Ok, this);
    box.setInformativeText(openFailureReason(*port));
    box.exec();
    qDebug() << "Serial device by default: " << failedName << " open fail.";
}

void MainWindow::closePort()
{
    ui->actionConnection->setChecked(false);
    port->close();
    delete port;
    qDebug() << "Close port";
    port = nullptr;
    showConnectionState();
    // Whatever the instrument sent last without a line feed is a line of its own; a transfer
    // still open then will never be complete.
    handleUnfinishedLine();
    if (const auto cut = pendingTransfer.close(QDateTime::currentDateTime()))
        transferCutOff(*cut);
}

void MainWindow::showConnectionState()
{
    const QString state = port && port->isOpen() ? tr("Connected: %1").arg(port->portName())
                                                 : tr("No instrument connected");
    connectionState->setText(state);
    ui->mainToolBar->widgetForAction(ui->actionConnection)->setAccessibleDescription(state);
}
