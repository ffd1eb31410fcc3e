#include "mainwindow/mainwindow.h"
#include "ui_mainwindow.h"

#include "device/instrumenttext.h"
#include "device/transferline.h"
#include "records/control.h"

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
        showTransferProgress();
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
    if (const auto tail = framer.takeTail()) {
        handleLine(decodeInstrumentText(*tail), TransferMarkers::current());
        showTransferProgress();
    }
}

void MainWindow::cutOffArrivingTransfer()
{
    // Whatever the instrument sent last without a line feed is a line of its own; a transfer
    // still open then will never be complete.
    handleUnfinishedLine();
    if (const auto cut = pendingTransfer.close(QDateTime::currentDateTime()))
        transferCutOff(*cut);
}

void MainWindow::handleLine(const QString &line, const TransferMarkers &markers)
{
    qDebug() << "input: " << line;
    const TransferLine kind = interpretLine(line, markers);
    if (kind.isDevice)
        pendingTransfer.takeDeviceLine(line);
    if (kind.isSerial) {
        if (const auto cut = pendingTransfer.open(line, QDateTime::currentDateTime()))
            transferCutOff(*cut);
        strayReadingsShown = 0;
    }
    if (kind.isGroup)
        pendingTransfer.addReading(kind.groupName, kind.value);
    if (kind.isEnd) {
        if (const auto ended = pendingTransfer.close(QDateTime::currentDateTime()))
            transferEnded(*ended);
        qDebug() << markers.end;
    }
}

void MainWindow::transferEnded(const ReceivedTransfer &transfer)
{
    keepTypedNames();
    showControl(namedAsTyped(transfer));
    shownFile.clear();

    // Counts stand after a colon, so that the texts read right for every number in every
    // language without plural forms.
    // Its time stands in the date field; the message has to fit the status bar.
    QString message = tr("Received from %1. Readings: %2, groups: %3.")
                          .arg(transfer.instrument())
                          .arg(transfer.readingCount)
                          .arg(transfer.measurements.size());
    const QString kept = archiveTransfer(transfer, false);
    if (!kept.isEmpty())
        message += QLatin1Char(' ') + kept;
    if (!cutOffNotice.isEmpty())
        message += QLatin1Char(' ') + std::exchange(cutOffNotice, QString());
    ui->statusBar->showMessage(message);
}

void MainWindow::transferCutOff(const ReceivedTransfer &transfer)
{
    cutOffNotice = tr("The transfer from %1 was cut off; readings received: %2. The readings "
                      "shown are unchanged.")
                       .arg(transfer.instrument())
                       .arg(transfer.readingCount);
    const QString kept = archiveTransfer(transfer, true);
    if (!kept.isEmpty())
        cutOffNotice += QLatin1Char(' ') + kept;
    ui->statusBar->showMessage(cutOffNotice);
}

void MainWindow::showTransferProgress()
{
    QString message;
    if (pendingTransfer.isOpen()) {
        const ReceivedTransfer &arriving = pendingTransfer.current();
        message = tr("Receiving the transfer from %1. Readings so far: %2.")
                      .arg(arriving.instrument())
                      .arg(arriving.readingCount);
    } else if (pendingTransfer.strayReadings() != strayReadingsShown) {
        strayReadingsShown = pendingTransfer.strayReadings();
        message = tr("Readings without a serial-number line before them, left out: %1.")
                      .arg(strayReadingsShown);
    } else {
        return;
    }
    if (!cutOffNotice.isEmpty())
        message += QLatin1Char(' ') + cutOffNotice;
    // The count of a transfer under way changes with every delivery; the log keeps its end.
    if (pendingTransfer.isOpen())
        ui->statusBar->showPassingMessage(message);
    else
        ui->statusBar->showMessage(message);
}
