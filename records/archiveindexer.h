#pragma once

#include "records/archiveindex.h"

#include <QObject>
#include <QThread>

// Keeps an archive's index up to date on a thread of its own, so that reading thousands of files
// never holds up the window: a whole update at start, one file after each kept transfer. The
// index's connection lives and dies on that thread.
class ArchiveIndexer : public QObject
{
    Q_OBJECT

public:
    ArchiveIndexer(const QString &archiveFolder, const QString &databaseFile,
                   QObject *parent = nullptr);
    // Stops an update between two files and waits for the thread.
    ~ArchiveIndexer() override;

    QString archiveFolder() const { return folder; }
    QString databaseFile() const { return database; }

    void update();
    void indexFile(const QString &filePath);

    // How far the update that runs has come.
    const ArchiveIndexProgress &progress() const { return updateProgress; }
    bool isUpdating() const { return updating; }

signals:
    void updateFinished(const ArchiveIndexSummary &summary);
    // After an update or a file indexed: what History shows may have changed.
    void indexChanged();

private:
    ArchiveIndex &workerIndex();

    QString folder;
    QString database;
    QThread thread;
    QObject *worker = nullptr; // lives on the thread
    std::unique_ptr<ArchiveIndex> index; // made and destroyed on the thread
    ArchiveIndexProgress updateProgress;
    bool updating = false;
};
