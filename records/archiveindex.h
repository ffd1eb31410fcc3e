#pragma once

#include "records/controlfigures.h"

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <atomic>
#include <optional>

class QSqlQuery;

// One kept file as the index holds it.
struct IndexedControl
{
    qint64 id = 0;
    QString fileName; // within the archive folder
    qint64 size = 0;
    QDateTime modified;
    // The control's date; for a file that is no file of changes, the file's own time.
    QDateTime controlled;
    QString deviceName;
    QString serialNumber;
    QString object;
    QString inspector;
    int readings = 0;
    int groups = 0;
    bool cutOff = false;
    QString unreadable; // why the file is no file of changes; empty when it is one
};

// Shared with an update on another thread: how far it has come, and whether it is to stop.
struct ArchiveIndexProgress
{
    std::atomic<qint64> filesDone { 0 };
    std::atomic<qint64> filesInAll { 0 };
    std::atomic<bool> cancelled { false };
};

struct ArchiveIndexSummary
{
    int added = 0;
    int changed = 0;
    int removed = 0;
    int unchanged = 0;
    QString error; // empty when the index is up to date with the folder
};

// A day range of History; a null date leaves that end open.
struct HistoryFilter
{
    QString text; // matched, whatever its case, within object, inspector, device, serial number
    QDate from;
    QDate to;
};

// The archive of kept transfers as an SQLite database: one row per file, one per group of each.
// The files stay the record; the index is a cache, made anew when it is missing, damaged or of an
// older layout, and brought up to date with the folder by update(). Several copies of the program
// may share one index: every write is a short transaction, and a busy database is waited for.
// One object per thread: the connection belongs to the thread that made the object.
class ArchiveIndex
{
public:
    // Whether the database is checked for damage first: once per program is enough, by the
    // connection that keeps the index up to date.
    enum class Check { Damage, Nothing };
    ArchiveIndex(const QString &archiveFolder, const QString &databaseFile,
                 Check check = Check::Damage);
    ~ArchiveIndex();
    Q_DISABLE_COPY(ArchiveIndex)

    bool isOpen() const { return database.isOpen(); }
    QString errorString() const { return error; }
    QString archiveFolder() const { return folder; }

    // Reads the files that are new or changed since they were indexed and forgets those removed.
    ArchiveIndexSummary update(ArchiveIndexProgress *progress = nullptr);
    // Indexes one file of the folder at once, as after a transfer has been kept.
    bool indexFile(const QString &filePath);

    // History's rows, newest first, in the columns HistoryColumn names.
    QSqlQuery historyQuery(const HistoryFilter &filter) const;
    int historyCount(const HistoryFilter &filter) const;
    std::optional<IndexedControl> control(qint64 id) const;
    std::optional<IndexedControl> controlOfFile(const QString &filePath) const;
    // The newest control of the object before the date, other than the given file.
    std::optional<IndexedControl> previousControl(const QString &object, const QDateTime &before,
                                                  const QString &otherThanFile = {}) const;
    QList<GroupFigures> figuresOf(qint64 controlId) const;

    // A group's minimum and mean in each control of an object that has numbers in it, oldest first.
    struct GroupPoint
    {
        QDateTime controlled;
        double minimum = 0;
        double mean = 0;
    };
    QList<GroupPoint> groupHistory(const QString &object, const QString &group) const;

    // Bumped whenever the tables change, so that an index of an older layout is made anew.
    static constexpr int layoutVersion = 1;

private:
    bool open(Check check);
    bool prepareTables();
    bool store(const QString &filePath);
    bool execute(const QString &statement);
    QSqlQuery filtered(const QString &select, const HistoryFilter &filter,
                       const QString &order) const;

    QString folder;
    QString databaseFile;
    QString connectionName;
    QSqlDatabase database;
    QString error;
    // The last statement failed because another copy held the database.
    bool busy = false;
};

// The columns of historyQuery().
enum class HistoryColumn {
    Id,
    Controlled,
    Object,
    Inspector,
    Device,
    SerialNumber,
    Readings,
    Groups,
    CutOff,
    File,
    Size,
    Unreadable,
};

// Where this workstation keeps the index of a folder: in the user's data folder, never in the
// archive folder itself, which a lab's workstations may share.
QString defaultArchiveIndexFile(const QString &archiveFolder);
