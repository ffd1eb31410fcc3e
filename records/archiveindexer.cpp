#include "records/archiveindexer.h"

ArchiveIndexer::ArchiveIndexer(const QString &archiveFolder, const QString &databaseFile,
                               QObject *parent)
    : QObject(parent)
    , folder(archiveFolder)
    , database(databaseFile)
{
    worker = new QObject;
    worker->moveToThread(&thread);
    thread.setObjectName(QStringLiteral("archive index"));
    thread.start(QThread::LowPriority);
}

ArchiveIndex &ArchiveIndexer::workerIndex()
{
    // Opened at the first work, which may check a large database for damage.
    if (!index)
        index = std::make_unique<ArchiveIndex>(folder, database);
    return *index;
}

ArchiveIndexer::~ArchiveIndexer()
{
    updateProgress.cancelled = true;
    QMetaObject::invokeMethod(
        worker, [this] { index.reset(); }, Qt::BlockingQueuedConnection);
    thread.quit();
    thread.wait();
    delete worker;
}

void ArchiveIndexer::update()
{
    updating = true;
    updateProgress.filesDone = 0;
    updateProgress.filesInAll = 0;
    QMetaObject::invokeMethod(worker, [this] {
        const ArchiveIndexSummary summary = workerIndex().update(&updateProgress);
        QMetaObject::invokeMethod(this, [this, summary] {
            updating = false;
            emit updateFinished(summary);
            emit indexChanged();
        });
    });
}

void ArchiveIndexer::indexFile(const QString &filePath)
{
    QMetaObject::invokeMethod(worker, [this, filePath] {
        if (workerIndex().indexFile(filePath))
            QMetaObject::invokeMethod(this, &ArchiveIndexer::indexChanged);
    });
}
