#include "records/archiveindex.h"

#include "records/changefileload.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QThread>
#include <QVariant>

namespace {

// A writer holds the database at most this long per transaction, so that another copy of the
// program, or History on the window's thread, waits briefly at most.
constexpr qint64 longestTransactionMs = 200;
// How long a busy database is waited for before a statement fails.
constexpr int busyTimeoutMs = 15000;

const QString dateFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss");

QString storedDate(const QDateTime &when)
{
    return when.toString(dateFormat);
}

QDateTime dateOf(const QVariant &stored)
{
    return QDateTime::fromString(stored.toString(), dateFormat);
}

// What the filter box searches, in one lower-case text, so that a search ignores the case of
// every alphabet and not only of Latin letters as SQLite's LIKE does.
QString searchText(const IndexedControl &control)
{
    return QStringList { control.object, control.inspector, control.deviceName,
                         control.serialNumber, control.fileName }
        .join(QLatin1Char('\n'))
        .toLower();
}

// The file read once, however large: its row and its groups' figures.
IndexedControl controlFromFile(const QFileInfo &file, QList<GroupFigures> *figures)
{
    IndexedControl control;
    control.fileName = file.fileName();
    control.size = file.size();
    control.modified = file.lastModified();
    control.cutOff = control.fileName.contains(QStringLiteral("_cut-off"));
    const ChangeFileLoad load = loadChangeFile(file.filePath());
    if (load.status == ChangeFileLoad::Read && load.content.dateTime.isValid()) {
        const Control &content = load.content;
        control.controlled = content.dateTime;
        control.object = content.object;
        control.inspector = content.inspector;
        control.deviceName = content.deviceName;
        control.serialNumber = content.serialNumber;
        control.groups = int(content.measurements.size());
        *figures = groupFigures(content.measurements);
        for (const Readings &values : content.measurements)
            control.readings += int(values.size());
        return control;
    }
    control.controlled = control.modified;
    // A file that loads but has no date of control cannot be placed among the controls either.
    control.unreadable = load.status == ChangeFileLoad::Read
        ? QCoreApplication::translate("History", "It has no date of control.")
        : load.refusalReason();
    return control;
}

IndexedControl controlFromRow(const QSqlQuery &row)
{
    IndexedControl control;
    control.id = row.value(int(HistoryColumn::Id)).toLongLong();
    control.controlled = dateOf(row.value(int(HistoryColumn::Controlled)));
    control.object = row.value(int(HistoryColumn::Object)).toString();
    control.inspector = row.value(int(HistoryColumn::Inspector)).toString();
    control.deviceName = row.value(int(HistoryColumn::Device)).toString();
    control.serialNumber = row.value(int(HistoryColumn::SerialNumber)).toString();
    control.readings = row.value(int(HistoryColumn::Readings)).toInt();
    control.groups = row.value(int(HistoryColumn::Groups)).toInt();
    control.cutOff = row.value(int(HistoryColumn::CutOff)).toBool();
    control.fileName = row.value(int(HistoryColumn::File)).toString();
    control.size = row.value(int(HistoryColumn::Size)).toLongLong();
    control.unreadable = row.value(int(HistoryColumn::Unreadable)).toString();
    return control;
}

const QString selectedColumns = QStringLiteral(
    "SELECT id, controlled, object, inspector, device, serial, readings, groups, cut_off, file, "
    "size, unreadable FROM controls ");

} // namespace

namespace {

// SQLITE_BUSY and SQLITE_LOCKED: another connection holds the database.
bool isBusy(const QSqlError &error)
{
    return error.nativeErrorCode() == QLatin1String("5")
        || error.nativeErrorCode() == QLatin1String("6");
}

} // namespace

ArchiveIndex::ArchiveIndex(const QString &archiveFolder, const QString &databasePath, Check check)
    : folder(archiveFolder)
    , databaseFile(databasePath)
{
    static std::atomic<int> connections { 0 };
    connectionName = QStringLiteral("archive-index-%1").arg(++connections);
    bool opened = open(check);
    // Another copy making a new database holds it for a moment, even against the busy timeout
    // while it turns on write-ahead logging: that is no damage, and it is waited for.
    QElapsedTimer waited;
    waited.start();
    while (!opened && busy && waited.elapsed() < busyTimeoutMs) {
        database.close();
        QThread::msleep(20);
        opened = open(check);
    }
    if (!opened && check == Check::Damage) {
        // A file that is no database, or a damaged one: the files are the record, so the index
        // is made anew from them.
        database.close();
        for (const char *suffix : { "", "-wal", "-shm", "-journal" })
            QFile::remove(databaseFile + QLatin1String(suffix));
        if (!open(Check::Nothing))
            database.close();
    }
}

ArchiveIndex::~ArchiveIndex()
{
    database.close();
    database = QSqlDatabase();
    QSqlDatabase::removeDatabase(connectionName);
}

bool ArchiveIndex::open(Check check)
{
    busy = false;
    if (!database.isValid()) {
        database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        database.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs));
    }
    QDir().mkpath(QFileInfo(databaseFile).absolutePath());
    database.setDatabaseName(databaseFile);
    if (!database.open()) {
        error = database.lastError().text();
        return false;
    }
    QSqlQuery damage(database);
    if (check == Check::Damage
        && (!damage.exec(QStringLiteral("PRAGMA quick_check")) || !damage.next()
            || damage.value(0).toString() != QLatin1String("ok"))) {
        error = damage.lastError().text();
        busy = isBusy(damage.lastError());
        return false;
    }
    damage.finish();
    // Readers go on while another copy writes.
    return execute(QStringLiteral("PRAGMA journal_mode=WAL")) && prepareTables();
}

bool ArchiveIndex::execute(const QString &statement)
{
    QSqlQuery query(database);
    if (query.exec(statement))
        return true;
    error = query.lastError().text();
    busy = isBusy(query.lastError());
    return false;
}

bool ArchiveIndex::prepareTables()
{
    const auto version = [this] {
        QSqlQuery query(database);
        return query.exec(QStringLiteral("PRAGMA user_version")) && query.next()
            ? query.value(0).toInt()
            : -1;
    };
    if (version() == layoutVersion)
        return true;
    // Looked at again inside the transaction: another copy may have made the tables meanwhile.
    if (!execute(QStringLiteral("BEGIN IMMEDIATE")))
        return false;
    if (version() != layoutVersion) {
        const QStringList statements {
            QStringLiteral("DROP TABLE IF EXISTS groups"),
            QStringLiteral("DROP TABLE IF EXISTS controls"),
            QStringLiteral("CREATE TABLE controls (id INTEGER PRIMARY KEY, file TEXT NOT NULL "
                           "UNIQUE, size INTEGER, modified INTEGER, controlled TEXT, device TEXT, "
                           "serial TEXT, object TEXT, inspector TEXT, readings INTEGER, groups "
                           "INTEGER, cut_off INTEGER, unreadable TEXT, search TEXT)"),
            QStringLiteral("CREATE INDEX controls_by_date ON controls (controlled, file)"),
            QStringLiteral("CREATE INDEX controls_by_object ON controls (object, controlled)"),
            QStringLiteral("CREATE TABLE groups (control INTEGER NOT NULL, position INTEGER, name "
                           "TEXT, readings INTEGER, numbers INTEGER, minimum REAL, mean REAL, "
                           "maximum REAL, PRIMARY KEY (control, position))"),
            QStringLiteral("PRAGMA user_version = %1").arg(layoutVersion),
        };
        for (const QString &statement : statements) {
            if (!execute(statement)) {
                execute(QStringLiteral("ROLLBACK"));
                return false;
            }
        }
    }
    return execute(QStringLiteral("COMMIT"));
}

bool ArchiveIndex::store(const QString &filePath)
{
    const QFileInfo file(filePath);
    QList<GroupFigures> figures;
    const IndexedControl control = controlFromFile(file, &figures);

    QSqlQuery forget(database);
    forget.prepare(QStringLiteral("DELETE FROM groups WHERE control IN "
                                  "(SELECT id FROM controls WHERE file = ?)"));
    forget.addBindValue(control.fileName);
    QSqlQuery forgetControl(database);
    forgetControl.prepare(QStringLiteral("DELETE FROM controls WHERE file = ?"));
    forgetControl.addBindValue(control.fileName);
    if (!forget.exec() || !forgetControl.exec()) {
        error = forget.lastError().text() + forgetControl.lastError().text();
        return false;
    }

    QSqlQuery insert(database);
    insert.prepare(QStringLiteral(
        "INSERT INTO controls (file, size, modified, controlled, device, serial, object, "
        "inspector, readings, groups, cut_off, unreadable, search) VALUES (?, ?, ?, ?, ?, ?, ?, "
        "?, ?, ?, ?, ?, ?)"));
    for (const QVariant &value :
         { QVariant(control.fileName), QVariant(control.size),
           QVariant(control.modified.toMSecsSinceEpoch()), QVariant(storedDate(control.controlled)),
           QVariant(control.deviceName), QVariant(control.serialNumber), QVariant(control.object),
           QVariant(control.inspector), QVariant(control.readings), QVariant(control.groups),
           QVariant(int(control.cutOff)),
           control.unreadable.isEmpty() ? QVariant() : QVariant(control.unreadable),
           QVariant(searchText(control)) })
        insert.addBindValue(value);
    if (!insert.exec()) {
        error = insert.lastError().text();
        return false;
    }
    const qint64 id = insert.lastInsertId().toLongLong();
    QSqlQuery group(database);
    group.prepare(QStringLiteral("INSERT INTO groups (control, position, name, readings, numbers, "
                                 "minimum, mean, maximum) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    for (int position = 0; position < figures.size(); ++position) {
        const GroupFigures &one = figures.at(position);
        const bool numbers = one.numbers > 0;
        for (const QVariant &value :
             { QVariant(id), QVariant(position), QVariant(one.group), QVariant(one.readings),
               QVariant(one.numbers), numbers ? QVariant(one.minimum) : QVariant(),
               numbers ? QVariant(one.mean) : QVariant(),
               numbers ? QVariant(one.maximum) : QVariant() })
            group.addBindValue(value);
        if (!group.exec()) {
            error = group.lastError().text();
            return false;
        }
    }
    return true;
}

ArchiveIndexSummary ArchiveIndex::update(ArchiveIndexProgress *progress)
{
    ArchiveIndexSummary summary;
    if (!isOpen()) {
        summary.error = error;
        return summary;
    }
    struct Known
    {
        qint64 size;
        qint64 modified;
    };
    QHash<QString, Known> known;
    {
        QSqlQuery query(database);
        query.setForwardOnly(true);
        if (!query.exec(QStringLiteral("SELECT file, size, modified FROM controls"))) {
            summary.error = query.lastError().text();
            return summary;
        }
        while (query.next())
            known.insert(query.value(0).toString(),
                         { query.value(1).toLongLong(), query.value(2).toLongLong() });
    }

    // Hidden files are the temporary files of a save still being written.
    const QFileInfoList files = QDir(folder).entryInfoList({ QStringLiteral("*.csv") },
                                                           QDir::Files | QDir::System, QDir::Name);
    if (progress)
        progress->filesInAll = files.size();

    QElapsedTimer transaction;
    bool inTransaction = false;
    const auto commit = [&] {
        if (inTransaction && !execute(QStringLiteral("COMMIT")))
            summary.error = error;
        inTransaction = false;
    };
    for (const QFileInfo &file : files) {
        if (progress && progress->cancelled)
            break;
        const auto previous = known.constFind(file.fileName());
        const bool isNew = previous == known.constEnd();
        if (!isNew) {
            const bool same = previous->size == file.size()
                && previous->modified == file.lastModified().toMSecsSinceEpoch();
            known.erase(previous);
            if (same) {
                ++summary.unchanged;
                if (progress)
                    ++progress->filesDone;
                continue;
            }
        }
        if (!inTransaction) {
            if (!execute(QStringLiteral("BEGIN IMMEDIATE"))) {
                summary.error = error;
                return summary;
            }
            inTransaction = true;
            transaction.start();
        }
        if (!store(file.filePath())) {
            summary.error = error;
            execute(QStringLiteral("ROLLBACK"));
            return summary;
        }
        ++(isNew ? summary.added : summary.changed);
        if (progress)
            ++progress->filesDone;
        if (transaction.elapsed() > longestTransactionMs)
            commit();
    }
    commit();
    if (progress && progress->cancelled)
        return summary;

    // What is left of the known files is gone from the folder.
    if (!known.isEmpty() && execute(QStringLiteral("BEGIN IMMEDIATE"))) {
        inTransaction = true;
        QSqlQuery forget(database);
        forget.prepare(QStringLiteral("DELETE FROM groups WHERE control IN "
                                      "(SELECT id FROM controls WHERE file = ?)"));
        QSqlQuery forgetControl(database);
        forgetControl.prepare(QStringLiteral("DELETE FROM controls WHERE file = ?"));
        for (auto it = known.constBegin(); it != known.constEnd(); ++it) {
            forget.addBindValue(it.key());
            forgetControl.addBindValue(it.key());
            if (!forget.exec() || !forgetControl.exec())
                break;
            ++summary.removed;
        }
        commit();
    }
    return summary;
}

bool ArchiveIndex::indexFile(const QString &filePath)
{
    if (!isOpen() || !execute(QStringLiteral("BEGIN IMMEDIATE")))
        return false;
    if (!store(filePath)) {
        execute(QStringLiteral("ROLLBACK"));
        return false;
    }
    return execute(QStringLiteral("COMMIT"));
}

QSqlQuery ArchiveIndex::filtered(const QString &select, const HistoryFilter &filter,
                                 const QString &order) const
{
    QSqlQuery query(database);
    const QString text = filter.text.trimmed().toLower();
    QString where = QStringLiteral("WHERE 1 ");
    if (!text.isEmpty())
        where += QStringLiteral("AND instr(search, :text) > 0 ");
    if (filter.from.isValid())
        where += QStringLiteral("AND controlled >= :from ");
    if (filter.to.isValid())
        where += QStringLiteral("AND controlled < :to ");
    query.prepare(select + where + order);
    if (!text.isEmpty())
        query.bindValue(QStringLiteral(":text"), text);
    if (filter.from.isValid())
        query.bindValue(QStringLiteral(":from"), storedDate(filter.from.startOfDay()));
    if (filter.to.isValid())
        query.bindValue(QStringLiteral(":to"), storedDate(filter.to.addDays(1).startOfDay()));
    query.exec();
    return query;
}

QSqlQuery ArchiveIndex::historyQuery(const HistoryFilter &filter) const
{
    return filtered(selectedColumns, filter, QStringLiteral("ORDER BY controlled DESC, file DESC"));
}

int ArchiveIndex::historyCount(const HistoryFilter &filter) const
{
    QSqlQuery query = filtered(QStringLiteral("SELECT count(*) FROM controls "), filter, QString());
    return query.next() ? query.value(0).toInt() : 0;
}

std::optional<IndexedControl> ArchiveIndex::control(qint64 id) const
{
    QSqlQuery query(database);
    query.prepare(selectedColumns + QStringLiteral("WHERE id = ?"));
    query.addBindValue(id);
    if (query.exec() && query.next())
        return controlFromRow(query);
    return std::nullopt;
}

std::optional<IndexedControl> ArchiveIndex::controlOfFile(const QString &filePath) const
{
    const QFileInfo file(filePath);
    if (QFileInfo(file.absolutePath()) != QFileInfo(folder))
        return std::nullopt;
    QSqlQuery query(database);
    query.prepare(selectedColumns + QStringLiteral("WHERE file = ?"));
    query.addBindValue(file.fileName());
    if (query.exec() && query.next())
        return controlFromRow(query);
    return std::nullopt;
}

std::optional<IndexedControl> ArchiveIndex::previousControl(const QString &object,
                                                            const QDateTime &before,
                                                            const QString &otherThanFile) const
{
    QSqlQuery query(database);
    query.prepare(selectedColumns
                  + QStringLiteral("WHERE object = ? AND controlled <= ? AND file <> ? AND "
                                   "unreadable IS NULL ORDER BY controlled DESC, file DESC"));
    query.addBindValue(object);
    query.addBindValue(storedDate(before));
    query.addBindValue(QFileInfo(otherThanFile).fileName());
    if (query.exec() && query.next())
        return controlFromRow(query);
    return std::nullopt;
}

QList<GroupFigures> ArchiveIndex::figuresOf(qint64 controlId) const
{
    QList<GroupFigures> figures;
    QSqlQuery query(database);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT name, readings, numbers, minimum, mean, maximum FROM "
                                 "groups WHERE control = ? ORDER BY position"));
    query.addBindValue(controlId);
    query.exec();
    while (query.next()) {
        figures << GroupFigures { query.value(0).toString(), query.value(1).toInt(),
                                  query.value(2).toInt(),    query.value(3).toDouble(),
                                  query.value(4).toDouble(), query.value(5).toDouble() };
    }
    return figures;
}

QList<ArchiveIndex::GroupPoint> ArchiveIndex::groupHistory(const QString &object,
                                                           const QString &group) const
{
    QList<GroupPoint> points;
    QSqlQuery query(database);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral(
        "SELECT controls.controlled, groups.minimum, groups.mean FROM groups JOIN controls ON "
        "controls.id = groups.control WHERE controls.object = ? AND groups.name = ? AND "
        "groups.numbers > 0 ORDER BY controls.controlled, controls.file"));
    query.addBindValue(object);
    query.addBindValue(group);
    query.exec();
    while (query.next())
        points << GroupPoint { dateOf(query.value(0)), query.value(1).toDouble(),
                               query.value(2).toDouble() };
    return points;
}

QString defaultArchiveIndexFile(const QString &archiveFolder)
{
    const QByteArray folderName = QFileInfo(archiveFolder).absoluteFilePath().toUtf8();
    const QString hash =
        QString::fromLatin1(QCryptographicHash::hash(folderName, QCryptographicHash::Sha1).toHex());
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("history/%1.sqlite").arg(hash.left(16)));
}
