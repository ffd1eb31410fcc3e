#include "mainwindow/mainwindow.h"
#include "ui_mainwindow.h"

#include "device/instrumenttext.h"
#include "device/transferline.h"

#include <QDateTime>
#include <QDebug>
#include <QSerialPort>
#include <QTimer>

void MainWindow::transaction()
{
    receiveDelivery(port->readAll());
}

void MainWindow::receiveDelivery(const QByteArray &delivery)
{
    qDebug() << "Readed: " << delivery.size() << " bytes";
    const QList<QByteArray> lines = framer.feed(delivery);
    if (!lines.isEmpty()) {
        const TransferMarkers markers = TransferMarkers::current();
        for (const QByteArray &line : lines)
            handleLine(decodeInstrumentText(line), markers);
    }
    // Only new bytes restart the quiet interval; an empty read says nothing about the line.
    if (delivery.isEmpty())
        return;
    if (framer.hasTail())
        quietTimer->start();
    else
        quietTimer->stop();
}

void MainWindow::handleUnfinishedLine()
{
    quietTimer->stop();
    if (const auto tail = framer.takeTail())
        handleLine(decodeInstrumentText(*tail), TransferMarkers::current());
}

void MainWindow::handleLine(const QString &line, const TransferMarkers &markers)
{
    qDebug() << "input: " << line;
    const TransferLine kind = interpretLine(line, markers);
    if (kind.isDevice) {
        deviceName = line;
        ui->lblDevice->setText(deviceName);
    }
    if (kind.isSerial) {
        serialNumber = line;
        ui->lblZav->setText(serialNumber);
        measurements = QMap<QString, QStringList>();
        ui->statusBar->clearMessage();
        ui->tableMeasurement->clear();
    }
    if (kind.isGroup)
        measurements[kind.groupName].append(kind.value);
    if (kind.isEnd) {
        ui->dtmDate->setDateTime(QDateTime::currentDateTime());
        showData();
        qDebug() << markers.end;
    }
}
