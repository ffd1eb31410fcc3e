#include "mainwindow/mainwindow.h"
#include "ui_mainwindow.h"

#include "dialogs/plainmessage.h"
#include "app/settings.h"
#include "dialogs/compare.h"
#include "dialogs/history.h"
#include "records/archiveindex.h"
#include "records/archiveindexer.h"
#include "records/controlfigures.h"
#include "records/transferarchive.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QProgressBar>
#include <QTimer>

namespace {

// An update shorter than this passes without a progress bar.
constexpr int showIndexProgressAfterMs = 1000;
constexpr int indexProgressTickMs = 200;
constexpr int startIndexingAfterMs = 300;

} // namespace

void MainWindow::setTransferArchiveFolder(const QString &folder, const QString &indexFile)
{
    archiveFolder = folder;
    delete history;
    shownIndex.reset();
    delete std::exchange(indexer, nullptr);
    indexProgress->hide();
    ui->actionHistory->setEnabled(!folder.isEmpty());
    ui->actionCompare->setEnabled(!folder.isEmpty());
    if (folder.isEmpty())
        return;

    indexer = new ArchiveIndexer(
        folder, indexFile.isEmpty() ? defaultArchiveIndexFile(folder) : indexFile, this);
    connect(indexer, &ArchiveIndexer::updateFinished, this,
            [this](const ArchiveIndexSummary &summary) {
                indexProgress->hide();
                if (!summary.error.isEmpty())
                    ui->statusBar->showMessage(
                        tr("The history of controls could not be brought up to date: %1")
                            .arg(summary.error));
            });
    connect(indexer, &ArchiveIndexer::indexChanged, this, [this] {
        if (history)
            history->refresh();
    });
    auto *tick = new QTimer(indexer);
    connect(tick, &QTimer::timeout, this, &MainWindow::showIndexProgress);
    tick->start(indexProgressTickMs);
    QTimer::singleShot(startIndexingAfterMs + showIndexProgressAfterMs, indexer,
                       [this] { indexProgress->setVisible(indexer->isUpdating()); });
    // Once the window is up: the start of the program waits for nothing of the index.
    QTimer::singleShot(startIndexingAfterMs, indexer, &ArchiveIndexer::update);
}

void MainWindow::showIndexProgress()
{
    if (!indexProgress->isVisible())
        return;
    const ArchiveIndexProgress &progress = indexer->progress();
    indexProgress->setRange(0, int(progress.filesInAll));
    indexProgress->setValue(int(progress.filesDone));
}

ArchiveIndex *MainWindow::historyIndex()
{
    if (!shownIndex && indexer)
        shownIndex = std::make_unique<ArchiveIndex>(archiveFolder, indexer->databaseFile(),
                                                    ArchiveIndex::Check::Nothing);
    if (shownIndex && !shownIndex->isOpen()) {
        showPlainMessage(
            this, QMessageBox::Critical, tr("History"),
            tr("The history of controls could not be opened:\n%1").arg(shownIndex->errorString()));
        shownIndex.reset();
    }
    return shownIndex.get();
}

void MainWindow::on_actionHistory_activated()
{
    if (!history) {
        ArchiveIndex *index = historyIndex();
        if (!index)
            return;
        history = new History(*index, this);
        connect(history, &History::openRequested, this, &MainWindow::readChangesFrom);
    }
    history->show();
    history->raise();
    history->activateWindow();
}

void MainWindow::on_actionCompare_activated()
{
    ArchiveIndex *index = historyIndex();
    if (!index)
        return;
    // What the window shows, whether or not it came from the archive.
    const Control shown = shownControl();
    const ComparedControl current { QStringList { ui->dtmDate->text(), shown.object,
                                                  shown.deviceName, shown.serialNumber }
                                        .join(QStringLiteral(" · ")),
                                    shown.object, groupFigures(shown.measurements) };
    const auto previous = index->previousControl(
        shown.object, shown.dateTime,
        QFileInfo(shownFile).absolutePath() == QFileInfo(archiveFolder).absoluteFilePath()
            ? QFileInfo(shownFile).fileName()
            : QString());
    auto *compare = new Compare(
        *index, current,
        previous ? std::optional(comparedControl(*index, *previous)) : std::nullopt, this);
    compare->setAttribute(Qt::WA_DeleteOnClose);
    compare->show();
}

void MainWindow::on_actionArchiveFolder_activated()
{
    const QString folder = QFileDialog::getExistingDirectory(
        this, tr("Choose the archive folder"),
        archiveFolder.isEmpty() ? defaultTransferArchiveFolder() : archiveFolder,
        QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    if (folder.isEmpty())
        return;
    setTransferArchiveFolder(folder);
    ProgramSettings settings;
    settings.setArchiveFolder(folder);
    ui->statusBar->showMessage(
        settings.write()
            ? tr("Transfers are kept in %1 from now on.").arg(QDir::toNativeSeparators(folder))
            : tr("Transfers are kept in %1 until the program ends; the settings could not be "
                 "written to %2.")
                  .arg(QDir::toNativeSeparators(folder),
                       QDir::toNativeSeparators(settings.fileName())));
}
