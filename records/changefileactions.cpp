#include "mainwindow/mainwindow.h"
#include "ui_mainwindow.h"

#include "records/changefile.h"
#include "records/safesave.h"

#include <QBuffer>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

void MainWindow::on_actionSave_activated()
{
    const QString defaultName =
        defaultChangeFileName(ui->edtObject->text(), ui->edtInspector->text(), ui->dtmDate->text());
    const QString chosen = QFileDialog::getSaveFileName(
        this, tr("Select a file to save the changes"),
        QDir::currentPath() + QLatin1Char('/') + defaultName, tr("Files of changes(*.csv)"),
        nullptr, QFileDialog::DontUseNativeDialog);
    if (chosen.isEmpty())
        return;

    const QString fileName = withChangeFileSuffix(chosen);
    // The dialog asked about the name it returned; a file that only the suffix names has not been
    // asked about yet.
    if (fileName != chosen && QFileInfo::exists(fileName)) {
        const auto answer =
            QMessageBox::question(this, tr("Save the changes"),
                                  tr("The file %1 already exists.\nDo you want to replace it?")
                                      .arg(QDir::toNativeSeparators(fileName)),
                                  QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return;
    }

    ChangeFileContent content;
    content.object = ui->edtObject->text();
    content.inspector = ui->edtInspector->text();
    content.dateTime = ui->dtmDate->dateTime();
    content.deviceName = deviceName;
    content.serialNumber = serialNumber;
    content.measurements = measurements;

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    writeChangeFile(buffer, content);
    QString reason;
    if (!saveFileSafely(fileName, bytes, &reason)) {
        QMessageBox::critical(this, tr("Save the changes"),
                              tr("The changes could not be saved to %1:\n%2")
                                  .arg(QDir::toNativeSeparators(fileName), reason));
    }
}

void MainWindow::on_actionRead_activated()
{
    const QString fileName = QFileDialog::getOpenFileName(
        this, tr("Select a file to read the changes"), QDir::currentPath(),
        tr("Files of changes (*.csv)"), nullptr, QFileDialog::DontUseNativeDialog);
    if (!fileName.isEmpty())
        readChangesFrom(fileName);
}

bool MainWindow::readChangesFrom(const QString &fileName)
{
    const ChangeFileLoad load = loadChangeFile(fileName);
    // A file that is refused changes nothing: reading on regardless would empty every field and
    // the readings on screen.
    if (load.status != ChangeFileLoad::Read) {
        QString reason = load.systemError;
        if (load.status == ChangeFileLoad::NotRegular)
            reason = tr("It is not a regular file.");
        else if (load.status == ChangeFileLoad::TooLarge)
            reason = tr("It is larger than %1 MiB, too large for a file of changes.")
                         .arg(maxChangeFileBytes / (1024 * 1024));
        else if (load.status == ChangeFileLoad::NotText)
            reason = tr("It is not a text file.");
        QMessageBox::critical(this, tr("Read the changes"),
                              tr("The changes could not be read from %1:\n%2")
                                  .arg(QDir::toNativeSeparators(fileName), reason));
        return false;
    }
    const ChangeFileContent &content = load.content;

    ui->edtObject->setText(content.object);
    ui->edtInspector->setText(content.inspector);
    if (content.dateTime.isValid())
        ui->dtmDate->setDateTime(content.dateTime);
    deviceName = content.deviceName;
    ui->lblDevice->setText(deviceName);
    serialNumber = content.serialNumber;
    ui->lblZav->setText(serialNumber);
    measurements = content.measurements;
    ui->statusBar->clearMessage();
    ui->tableMeasurement->clear();
    showData();
    return true;
}
