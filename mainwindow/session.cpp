#include "mainwindow/mainwindow.h"
#include "ui_mainwindow.h"

#include "app/settings.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>

void MainWindow::restoreSettings()
{
    const ProgramSettings settings;
    restoreGeometry(settings.windowGeometry());
    restoreState(settings.windowState());
    showRecentFiles(settings.recentFiles());
}

void MainWindow::endSession()
{
    keepTypedNames();
    cutOffArrivingTransfer();
    ProgramSettings settings;
    settings.setWindowGeometry(saveGeometry());
    settings.setWindowState(saveState());
    writeSettings(settings);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    endSession();
    QMainWindow::closeEvent(event);
}

void MainWindow::rememberFile(const QString &fileName, bool saved, bool isChangeFile)
{
    ProgramSettings settings;
    const QString folder = QFileInfo(fileName).absolutePath();
    saved ? settings.setSaveFolder(folder) : settings.setReadFolder(folder);
    // Only a file of changes can be read again from the list.
    if (isChangeFile)
        settings.addRecentFile(fileName);
    writeSettings(settings);
    showRecentFiles(settings.recentFiles());
}

void MainWindow::writeSettings(ProgramSettings &settings)
{
    if (settings.write() || std::exchange(settingsProblemTold, true))
        return;
    ui->statusBar->showMessage(
        tr("The settings could not be written to %1; folders and recent files will not be "
           "remembered.")
            .arg(QDir::toNativeSeparators(settings.fileName())));
}

void MainWindow::showRecentFiles(const QStringList &files)
{
    ui->menuRecent->clear();
    int number = 0;
    for (const QString &file : files) {
        const QString shown =
            QDir::toNativeSeparators(file).replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction *action =
            ui->menuRecent->addAction(QStringLiteral("&%1 %2").arg(++number % 10).arg(shown));
        // Queued, so that the menu is rebuilt only after the action that was chosen has done.
        connect(
            action, &QAction::triggered, this, [this, file] { readChangesFrom(file); },
            Qt::QueuedConnection);
    }
    if (!files.isEmpty()) {
        ui->menuRecent->addSeparator();
        QAction *clear = ui->menuRecent->addAction(tr("&Clear the list"));
        connect(
            clear, &QAction::triggered, this,
            [this] {
                ProgramSettings settings;
                settings.clearRecentFiles();
                writeSettings(settings);
                showRecentFiles({});
            },
            Qt::QueuedConnection);
    }
    ui->menuRecent->setEnabled(!files.isEmpty());
}
