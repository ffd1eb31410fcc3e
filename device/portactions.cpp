#include "mainwindow/mainwindow.h"
#include "ui_mainwindow.h"

#include "device/portaccess.h"
#include "device/serialdeviceenumerator.h"
#include "dialogs/plainmessage.h"

#include <QCoreApplication>
#include <QDebug>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QSerialPort>

namespace {

// The system's reason for a failed open, with a hint where the user can act on it. The toolkit
// reports a port that another program holds (its lock, or the line's exclusive use) as a
// permission error too; a device this user may read and write is then busy, not forbidden.
QString openFailureReason(const QSerialPort &failed)
{
#ifdef Q_OS_LINUX
    if (failed.error() == QSerialPort::PermissionError) {
        if (mayReadAndWrite(serialDevicePath(failed.portName())))
            return QCoreApplication::translate(
                "MainWindow",
                "The port is busy: another program uses it, for instance another copy of "
                "this program or a terminal program.");
        return failed.errorString() + QLatin1Char('\n')
            + QCoreApplication::translate(
                   "MainWindow",
                   "To use serial devices, ask your administrator to add your user to the "
                   "\"dialout\" group, then log out and in again.");
    }
#endif
    return failed.errorString();
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
        // A port that works makes an earlier failure old news.
        closeOpenFailureBox();
        return;
    }
    ui->actionConnection->setChecked(false);
    showConnectionState();
    const QString path = serialDevicePath(port->portName());
    const QString text = isNoTerminal(path) ? tr("%1 is not a serial port.").arg(path)
                                            : tr("The serial port used by another application");
    showOpenFailureBox(port->portName(), text, openFailureReason(*port));
}

void MainWindow::showOpenFailureBox(const QString &name, const QString &text, const QString &reason)
{
    // One box at a time, and none that waits for the operator while devices come and go: the
    // box is window-modal without an event loop of its own, and closes itself when its device
    // goes or a port opens.
    closeOpenFailureBox();
    auto *box = new QMessageBox(QMessageBox::Critical, tr("Failed to open port"), QString(),
                                QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("openFailureBox"));
    setPlainTexts(*box, text, reason);
    connect(
        box, &QDialog::finished, box,
        [box, name] {
            qDebug() << "Serial device by default: " << name << " open fail.";
            box->deleteLater();
        },
        Qt::SingleShotConnection);
    openFailureBox = box;
    openFailurePort = name;
    box->open();
}

void MainWindow::closeOpenFailureBox()
{
    if (openFailureBox && openFailureBox->isVisible())
        openFailureBox->reject();
    openFailureBox = nullptr;
}

void MainWindow::closePort()
{
    if (port->portName() == openFailurePort)
        closeOpenFailureBox();
    ui->actionConnection->setChecked(false);
    port->close();
    delete port;
    qDebug() << "Close port";
    port = nullptr;
    showConnectionState();
    cutOffArrivingTransfer();
}

void MainWindow::showConnectionState()
{
    const QString state = port && port->isOpen() ? tr("Connected: %1").arg(port->portName())
                                                 : tr("No instrument connected");
    connectionState->setText(state);
    ui->mainToolBar->widgetForAction(ui->actionConnection)->setAccessibleDescription(state);
}
