#include "mainwindow/mainwindow.h"
#include "ui_mainwindow.h"

#include <QSerialPort>
#include <QTimer>

void MainWindow::transaction()
{
    receiveDelivery(port->readAll());
}

void MainWindow::receiveDelivery(const QByteArray &delivery)
{
    if (receiver.receive(delivery))
        showTransferProgress();
    // Only new bytes restart the quiet interval; an empty read says nothing about the line.
    if (delivery.isEmpty())
        return;
    if (receiver.hasUnfinishedLine())
        quietTimer->start();
    else
        quietTimer->stop();
}

void MainWindow::handleUnfinishedLine()
{
    quietTimer->stop();
    if (receiver.finishLine())
        showTransferProgress();
}

void MainWindow::cutOffArrivingTransfer()
{
    quietTimer->stop();
    receiver.cutOff();
    // The last line may have been a reading that no transfer takes.
    showTransferProgress();
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
    if (receiver.pending().isOpen()) {
        const ReceivedTransfer &arriving = receiver.pending().current();
        message = tr("Receiving the transfer from %1. Readings so far: %2.")
                      .arg(arriving.instrument())
                      .arg(arriving.readingCount);
    } else if (receiver.pending().strayReadings() != strayReadingsShown) {
        strayReadingsShown = receiver.pending().strayReadings();
        message = tr("Readings without a serial-number line before them, left out: %1.")
                      .arg(strayReadingsShown);
    } else {
        return;
    }
    if (!cutOffNotice.isEmpty())
        message += QLatin1Char(' ') + cutOffNotice;
    // The count of a transfer under way changes with every delivery; the log keeps its end.
    if (receiver.pending().isOpen())
        ui->statusBar->showPassingMessage(message);
    else
        ui->statusBar->showMessage(message);
}
