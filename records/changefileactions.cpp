#include "mainwindow/mainwindow.h"
#include "ui_mainwindow.h"

#include "app/settings.h"
#include "dialogs/backgroundwork.h"
#include "dialogs/plainmessage.h"
#include "files/safesave.h"
#include "protocol/localpaper.h"
#include "protocol/protocol.h"
#include "protocol/protocoljob.h"
#include "protocol/protocolpages.h"
#include "records/archiveindexer.h"
#include "records/changefile.h"
#include "records/changefileload.h"
#include "records/savename.h"
#include "records/spreadsheet.h"
#include "records/transferarchive.h"

#include <QBuffer>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPdfWriter>
#include <QProgressDialog>

namespace {

// What Save can write, in the order its dialog offers them; the first is the default.
enum class SavedKind { Changes, Spreadsheet, Protocol };

struct SaveChoice
{
    QString filter;
    QString suffix;
};

QList<SaveChoice> saveChoices()
{
    return { { MainWindow::tr("Files of changes (*.csv)"), QStringLiteral(".csv") },
             { MainWindow::tr("Spreadsheet (*.xlsx)"), QStringLiteral(".xlsx") },
             { MainWindow::tr("Protocol of control (*.pdf)"), QStringLiteral(".pdf") } };
}

// A file of changes read beside the window, which goes on repainting and receiving; above
// about a second a progress dialog shows, whose Cancel leaves everything as it was.
ChangeFileLoad loadChangeFileBesideWindow(QWidget *parent, const QString &fileName)
{
    const ChangeFilePrefixes prefixes = ChangeFilePrefixes::current();
    ChangeFileReading reading;
    ChangeFileLoad load;
    QProgressDialog progress(parent);
    progress.setObjectName(QStringLiteral("readProgress"));
    progress.setWindowTitle(MainWindow::tr("Read the changes"));
    auto *label = new QLabel(&progress);
    label->setTextFormat(Qt::PlainText);
    label->setText(MainWindow::tr("Reading %1…").arg(QFileInfo(fileName).fileName()));
    progress.setLabel(label);
    progress.setRange(0, 1000);
    runBesideWindow(
        progress, [&] { load = loadChangeFile(fileName, prefixes, &reading); },
        [&] {
            if (progress.wasCanceled()) {
                reading.cancelled = true;
                return;
            }
            if (const qint64 inAll = reading.bytesInAll)
                progress.setValue(int(reading.bytesRead * 1000 / inAll));
        });
    return load;
}

// Where a file dialog starts: the folder remembered, while it still exists, else the working one.
QString startFolder(const QString &remembered)
{
    return !remembered.isEmpty() && QFileInfo(remembered).isDir() ? remembered
                                                                  : QDir::currentPath();
}

} // namespace

void MainWindow::on_actionSave_activated()
{
    keepTypedNames();
    const QString defaultName =
        defaultChangeFileName(ui->edtObject->text(), ui->edtInspector->text(), ui->dtmDate->text());
    const QList<SaveChoice> choices = saveChoices();
    QStringList filters;
    for (const SaveChoice &choice : choices)
        filters << choice.filter;
    QString selectedFilter = filters.first();
    const QString chosen = QFileDialog::getSaveFileName(
        this, tr("Select a file to save the changes"),
        QDir(startFolder(ProgramSettings().saveFolder())).filePath(defaultName),
        filters.join(QStringLiteral(";;")), &selectedFilter, QFileDialog::DontUseNativeDialog);
    if (chosen.isEmpty())
        return;
    // A suffix typed decides the kind of file; the filter decides only when none is typed.
    auto kind = SavedKind(std::max<qsizetype>(0, filters.indexOf(selectedFilter)));
    QString fileName = chosen + choices.at(int(kind)).suffix;
    for (qsizetype choice = 0; choice < choices.size(); ++choice) {
        if (chosen.endsWith(choices.at(choice).suffix, Qt::CaseInsensitive)) {
            kind = SavedKind(choice);
            fileName = chosen;
        }
    }
    // The dialog asked about the name it returned; a file that only the suffix names has not been
    // asked about yet.
    if (fileName != chosen && QFileInfo::exists(fileName)) {
        const auto answer =
            showPlainMessage(this, QMessageBox::Question, tr("Save the changes"),
                             tr("The file %1 already exists.\nDo you want to replace it?")
                                 .arg(QDir::toNativeSeparators(fileName)),
                             QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return;
    }

    const Control content = shownControl();

    // The old file is replaced only by a complete new one, so a failure never costs the operator
    // the readings saved before.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QString reason;
    bool made = true;
    if (kind == SavedKind::Changes) {
        made = writeChangeFile(buffer, content);
    } else if (kind == SavedKind::Spreadsheet) {
        made = writeSpreadsheet(buffer, content, &reason);
    } else if (kind == SavedKind::Protocol) {
        QPdfWriter writer(&buffer);
        writer.setCreator(QCoreApplication::applicationName());
        writer.setTitle(tr("Protocol of control"));
        writer.setPageLayout(ProtocolPages::pageLayoutFor(localePaper()));
        const ProtocolOutcome outcome =
            paintProtocol(this, buildProtocol(content, ui->dtmDate->text()), &writer,
                          /*cancelWhilePainting=*/true);
        if (outcome == ProtocolOutcome::Cancelled)
            return;
        made = outcome == ProtocolOutcome::Complete;
    }
    buffer.close();
    if (!made && reason.isEmpty())
        reason = tr("The document could not be made.");
    if (!made || !saveFileSafely(fileName, bytes, &reason)) {
        showPlainMessage(this, QMessageBox::Critical, tr("Save the changes"),
                         tr("The changes could not be saved to %1:\n%2")
                             .arg(QDir::toNativeSeparators(fileName), reason));
        return;
    }
    rememberFile(fileName, /*saved=*/true, kind == SavedKind::Changes);
}

void MainWindow::on_actionRead_activated()
{
    QFileDialog dialog(this, tr("Select a file to read the changes"),
                       startFolder(ProgramSettings().readFolder()), tr("Files of changes (*.csv)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // Every transfer kept is one click away.
    if (!archiveFolder.isEmpty() && QFileInfo(archiveFolder).isDir())
        dialog.setSidebarUrls(dialog.sidebarUrls() << QUrl::fromLocalFile(archiveFolder));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().value(0).isEmpty())
        return;
    readChangesFrom(dialog.selectedFiles().value(0));
}

bool MainWindow::readChangesFrom(const QString &fileName)
{
    keepTypedNames();
    // One file at a time: a second one read meanwhile (dropped, say) would be replaced by the
    // first when that ends, against the operator's last choice.
    if (readingChanges) {
        ui->statusBar->showMessage(tr("%1 was not read: another file of changes is being read.")
                                       .arg(QDir::toNativeSeparators(fileName)));
        return false;
    }
    readingChanges = true;
    const ChangeFileLoad load = loadChangeFileBesideWindow(this, fileName);
    readingChanges = false;
    if (load.status == ChangeFileLoad::Cancelled) {
        ui->statusBar->showMessage(tr("Reading %1 was cancelled; the readings shown are unchanged.")
                                       .arg(QDir::toNativeSeparators(fileName)));
        return false;
    }
    // A file that is refused changes nothing: reading on regardless would empty every field and
    // the readings on screen.
    if (load.status != ChangeFileLoad::Read) {
        showPlainMessage(this, QMessageBox::Critical, tr("Read the changes"),
                         tr("The changes could not be read from %1:\n%2")
                             .arg(QDir::toNativeSeparators(fileName), load.refusalReason()));
        return false;
    }
    keptShownFile.clear();
    showControl(load.content);
    shownFile = fileName;
    if (load.encoding == ChangeFileEncoding::Windows1251)
        ui->statusBar->showMessage(tr("%1 is not UTF-8 text; it was read as Windows-1251.")
                                       .arg(QFileInfo(fileName).fileName()));
    else
        ui->statusBar->clearMessage();
    rememberFile(fileName, /*saved=*/false, /*isChangeFile=*/true);
    return true;
}

QString MainWindow::archiveTransfer(const ReceivedTransfer &received, bool cutOff)
{
    if (archiveFolder.isEmpty())
        return QString();
    const Control transfer = namedAsTyped(received);
    // Told in the status bar, never in a box: the operator did not ask for this file, and a box
    // would stop the next transfer's work until answered.
    const TransferArchiveResult kept = keepTransfer(archiveFolder, transfer, cutOff);
    if (kept.kept && !cutOff) {
        keptShownFile = kept.filePath;
        keptShownContent = transfer;
        shownFile = kept.filePath;
    }
    if (kept.kept) {
        if (indexer)
            indexer->indexFile(kept.filePath);
        return tr("Kept as %1.").arg(QFileInfo(kept.filePath).fileName());
    }
    return tr("The transfer could not be kept in %1: %2")
        .arg(QDir::toNativeSeparators(archiveFolder), kept.error);
}
