#include "dialogs/compare.h"
#include "dialogs/history.h"
#include "records/archiveindex.h"
#include "records/archiveindexer.h"
#include "records/changefile.h"
#include "testing.h"

#include <QChart>
#include <QChartView>
#include <QDateEdit>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableWidget>
#include <QtTest>

using Store = Measurements;

namespace {

// Writes a file of changes as the program keeps one, with the time given as its modification time.
bool keep(const QString &path, const Control &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && writeChangeFile(file, content, ChangeFilePrefixes::untranslated())
        && file.setFileTime(content.dateTime, QFileDevice::FileModificationTime);
}

bool keep(const QString &path, const QString &object, const QDateTime &at, const Store &store)
{
    return keep(path, { object, "Team 2", at, "DEVICE X-100", "SN 517", store });
}

bool writeDated(const QString &path, const QByteArray &bytes, const QDateTime &modified)
{
    QFile file(path);
    return writeFile(path, bytes) && file.open(QIODevice::ReadWrite)
        && file.setFileTime(modified, QFileDevice::FileModificationTime);
}

// The texts of a table's rows, cells joined by "|".
QStringList rowsOf(const QAbstractItemModel *model, const QList<int> &columns)
{
    QStringList rows;
    for (int row = 0; row < model->rowCount(); ++row) {
        QStringList cells;
        for (int column : columns)
            cells << model->index(row, column).data().toString();
        rows << cells.join(u'|');
    }
    return rows;
}

// Each row of History as "file|object|readings|groups", or "file|unreadable" for a file that is
// no file of changes.
QStringList historyRows(const ArchiveIndex &index, const HistoryFilter &filter = {})
{
    QStringList rows;
    QSqlQuery query = index.historyQuery(filter);
    while (query.next()) {
        const auto value = [&query](HistoryColumn column) {
            return query.value(int(column)).toString();
        };
        rows << (value(HistoryColumn::Unreadable).isEmpty()
                     ? QStringList { value(HistoryColumn::File), value(HistoryColumn::Object),
                                     value(HistoryColumn::Readings), value(HistoryColumn::Groups) }
                           .join(u'|')
                     : value(HistoryColumn::File) + "|unreadable");
    }
    return rows;
}

QString summaryText(const ArchiveIndexSummary &summary)
{
    return QStringLiteral("+%1 ~%2 -%3 =%4 %5")
        .arg(summary.added)
        .arg(summary.changed)
        .arg(summary.removed)
        .arg(summary.unchanged)
        .arg(summary.error)
        .trimmed();
}

const QDateTime monday({ 2026, 12, 7 }, { 9, 0, 0 });

} // namespace

// The archive's index against real SQLite files: kept up to date with the folder, made anew when
// damaged, shared by two processes, searched, and the figures that Compare and its chart show.
class HistoryTest : public QObject
{
    Q_OBJECT

    // Four controls of two objects (tests/data/history) and a file that is no file of changes,
    // indexed once.
    struct Archive
    {
        QTemporaryDir folder;
        std::unique_ptr<ArchiveIndex> index;
    } archive;

private slots:
    void initTestCase()
    {
        const QString path = archive.folder.path();
        for (const char *name : { "a.csv", "b.csv", "c.csv", "d.csv" })
            QVERIFY(QFile::copy(testData(QStringLiteral("history/") + name), path + '/' + name));
        QVERIFY(writeDated(path + "/bad.csv", "no file of changes",
                           QDateTime({ 2026, 12, 1 }, { 8, 0 })));
        archive.index = std::make_unique<ArchiveIndex>(path, path + "/index.sqlite");
        QCOMPARE(summaryText(archive.index->update()), "+5 ~0 -0 =0");
    }

    // Only what changed in the folder is read again; a file that is no file of changes is listed
    // as unreadable and stops nothing.
    void shouldFollowTheFolderIncrementally()
    {
        QTemporaryDir folder;
        const QString database = folder.filePath("index/history.sqlite");
        const QDir transfers(folder.filePath("transfers"));
        QVERIFY(transfers.mkpath("."));
        QVERIFY(keep(transfers.filePath("a.csv"), "Pipe 1", monday, { { "G", { "1", "2" } } }));
        QVERIFY(
            keep(transfers.filePath("b.csv"), "Pipe 2", monday.addDays(1), { { "G", { "3" } } }));
        QVERIFY(writeDated(transfers.filePath("c.csv"), QByteArray("PK\3\4\0\0binary", 12),
                           monday.addDays(-1)));
        QVERIFY(writeFile(transfers.filePath("notes.txt"), "not in the archive"));
        {
            ArchiveIndex index(transfers.path(), database);
            QCOMPARE(summaryText(index.update()), "+3 ~0 -0 =0");
            // A file that is no file of changes is dated by its modification.
            QCOMPARE(historyRows(index),
                     QStringList({ "b.csv|Pipe 2|1|1", "a.csv|Pipe 1|2|1", "c.csv|unreadable" }));
        }
        // Changed in place to a file of the same size.
        QVERIFY(keep(transfers.filePath("a.csv"), "Pipe 1", monday.addSecs(1),
                     { { "G", { "1", "5" } } }));
        QVERIFY(QFile::remove(transfers.filePath("b.csv")));
        QVERIFY(keep(transfers.filePath("d.csv"), "Pipe 4", monday.addDays(2), { { "G", {} } }));
        ArchiveIndex index(transfers.path(), database);
        QCOMPARE(summaryText(index.update()), "+1 ~1 -1 =1");
        QCOMPARE(historyRows(index),
                 QStringList({ "d.csv|Pipe 4|0|0", "a.csv|Pipe 1|2|1", "c.csv|unreadable" }));
        QCOMPARE(summaryText(index.update()), "+0 ~0 -0 =3");

        QVERIFY(
            keep(transfers.filePath("e.csv"), "Pipe 5", monday.addDays(3), { { "G", { "7" } } }));
        QVERIFY(index.indexFile(transfers.filePath("e.csv")));
        QCOMPARE(historyRows(index).value(0), "e.csv|Pipe 5|1|1");
    }

    // The files are the record: an index that is damaged, empty, of an older layout or no
    // database at all is made anew from them.
    void shouldRebuildADamagedIndex_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("truncated") << "truncated";
        QTest::newRow("emptied") << "emptied";
        QTest::newRow("older layout") << "older";
        QTest::newRow("no database") << "garbage";
    }
    void shouldRebuildADamagedIndex()
    {
        QFETCH(QString, damage);
        QTemporaryDir folder;
        const QString database = folder.filePath("history.sqlite");
        for (int i = 0; i < 40; ++i) {
            Store store;
            for (int group = 0; group < 20; ++group)
                store[QStringLiteral("GROUP#%1").arg(group)] = QStringList(10, "1.5");
            QVERIFY(keep(folder.filePath(QStringLiteral("%1.csv").arg(i, 2, 10, QChar('0'))),
                         "Pipe", monday.addSecs(i), store));
        }
        {
            ArchiveIndex index(folder.path(), database);
            QCOMPARE(summaryText(index.update()), "+40 ~0 -0 =0");
        }
        QFile file(database);
        const qint64 size = file.size();
        QVERIFY(size > 8192);
        if (damage == "truncated")
            QVERIFY(file.resize(size / 2));
        else if (damage == "emptied")
            QVERIFY(file.resize(0));
        else if (damage == "garbage")
            QVERIFY(writeFile(database, QByteArray(size, 'x')));
        else
            QVERIFY(setUserVersion(database, 0));

        ArchiveIndex index(folder.path(), database);
        QVERIFY2(index.isOpen(), qPrintable(index.errorString()));
        QCOMPARE(summaryText(index.update()), "+40 ~0 -0 =0");
        QCOMPARE(historyRows(index).size(), 40);
        QCOMPARE(index.figuresOf(index.controlOfFile(folder.filePath("39.csv"))->id).size(), 20);
    }

    // Two copies of the program start on one folder with no index yet: both make the tables,
    // both write, neither fails, and every file is indexed once.
    void shouldShareOneIndexBetweenTwoProcesses()
    {
        QTemporaryDir folder;
        const QString database = folder.filePath("shared.sqlite");
        for (int i = 0; i < 300; ++i)
            QVERIFY(keep(folder.filePath(QStringLiteral("%1.csv").arg(i, 3, 10, QChar('0'))),
                         "Pipe", monday.addSecs(i),
                         { { "A", { "1" } }, { "B", { "2" } }, { "C", { "3" } } }));
        QProcess copies[2];
        for (QProcess &copy : copies)
            copy.start(QCoreApplication::applicationFilePath(),
                       { "--index", folder.path(), database });
        for (QProcess &copy : copies) {
            QVERIFY(copy.waitForFinished(120000));
            QVERIFY2(copy.exitCode() == 0,
                     copy.readAllStandardOutput() + copy.readAllStandardError());
        }
        ArchiveIndex index(folder.path(), database);
        QCOMPARE(summaryText(index.update()), "+0 ~0 -0 =300");
        for (int i = 0; i < 300; i += 7) {
            const auto control = index.controlOfFile(
                folder.filePath(QStringLiteral("%1.csv").arg(i, 3, 10, QChar('0'))));
            QVERIFY(control);
            QCOMPARE(index.figuresOf(control->id).size(), 3);
        }
    }

    // One text finds controls by object (whatever the case of its alphabet), inspector, device or
    // serial number; the days narrow them down; a file that is no file of changes is listed.
    void shouldFindControls_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("all, newest first")
            << "" << QDate() << QDate() << QStringList { "d", "c", "b", "a", "bad" };
        QTest::newRow("object in another case")
            << "ТРУБА" << QDate() << QDate() << QStringList { "d", "b", "a" };
        QTest::newRow("inspector") << "ivan" << QDate() << QDate() << QStringList { "b" };
        QTest::newRow("device") << "y-2" << QDate() << QDate() << QStringList { "c" };
        QTest::newRow("serial number")
            << "SN 517" << QDate() << QDate() << QStringList { "d", "a" };
        QTest::newRow("days") << "" << QDate(2026, 12, 3) << QDate(2026, 12, 5)
                              << QStringList { "c", "b" };
        QTest::newRow("text and days")
            << "труба" << QDate(2026, 12, 2) << QDate() << QStringList { "d", "b" };
        QTest::newRow("nothing") << "Pipe 9" << QDate() << QDate() << QStringList();
    }
    void shouldFindControls()
    {
        QFETCH(QString, text);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QStringList, files);
        History history(*archive.index);
        history.findChild<QLineEdit *>("filterEdit")->setText(text);
        if (from.isValid())
            history.findChild<QDateEdit *>("fromDate")->setDate(from);
        if (to.isValid())
            history.findChild<QDateEdit *>("toDate")->setDate(to);
        QStringList shown = rowsOf(history.findChild<QTableView *>("historyTable")->model(),
                                   { int(HistoryColumn::File) });
        shown.replaceInStrings(".csv", "");
        QCOMPARE(shown, files);
        QCOMPARE(history.findChild<QLabel *>("countLabel")->text(),
                 QStringLiteral("Controls: %1").arg(files.size()));
    }

    // A control beside the previous control of its object, group by group in the one order of
    // groups; a group of one control only is marked, a group without numbers has no figures.
    // The chart follows a group's minimum and mean through every control of the object.
    void shouldCompareWithThePreviousControl()
    {
        History history(*archive.index);
        auto *table = history.findChild<QTableView *>("historyTable");
        const int row = rowsOf(table->model(), { int(HistoryColumn::File) }).indexOf("b.csv");
        table->selectRow(row);
        history.findChild<QPushButton *>("compareButton")->click();
        auto *compare = history.findChild<Compare *>();
        QVERIFY(compare);
        QStringList expected { "GROUP#2|2|1.5|2.5|3.5|2|1|1.5|2|+0.5|+1|",
                               "GROUP#10|1||||1|5|5|5|||", "N|1|4|4|4|||||||only in this control",
                               "T|||||1||||||only in the previous control" };
        expected.replaceInStrings(".", QLocale().decimalPoint());
        const QList<int> all { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11 };
        QCOMPARE(rowsOf(compare->findChild<QTableWidget *>("compareTable")->model(), all),
                 expected);
        QVERIFY(compare->findChild<QLabel *>("previousLabel")->text().contains("a.csv"));

        compare->findChild<QTableWidget *>("compareTable")->setCurrentCell(0, 0);
        const QList<QAbstractSeries *> series =
            compare->findChild<QChartView *>("chartView")->chart()->series();
        QCOMPARE(series.size(), 2);
        const auto points = [](QAbstractSeries *line) {
            QStringList texts;
            for (const QPointF &point : static_cast<QLineSeries *>(line)->points())
                texts << QDateTime::fromMSecsSinceEpoch(qint64(point.x())).toString("dd") + "="
                        + QString::number(point.y());
            return texts.join(' ');
        };
        QCOMPARE(points(series[0]), "01=1 03=1.5 06=0.5");
        QCOMPARE(points(series[1]), "01=1.5 03=2.5 06=0.5");

        QTemporaryDir saved;
        QVERIFY(compare->saveChart(saved.filePath("chart.png")));
        QVERIFY(compare->saveChart(saved.filePath("chart.svg")));
        QVERIFY(!QImage(saved.filePath("chart.png")).isNull());
        QVERIFY(readFile(saved.filePath("chart.svg")).contains("<svg"));
    }

    // The window indexes its archive beside itself and every transfer it keeps; a control
    // chosen in History is read into it as Read does.
    void shouldOpenAControlFromHistory()
    {
        QTemporaryDir folder;
        QVERIFY(keep(folder.filePath("old.csv"), "Pipe 1", monday, { { "G", { "1" } } }));
        TestWindow w;
        w.window->setTransferArchiveFolder(folder.path(), folder.filePath("index.sqlite"));
        QSignalSpy updated(w.window->archiveIndexer(), &ArchiveIndexer::updateFinished);
        QVERIFY(updated.wait());
        w.trigger("actionHistory");
        auto *history = w.window->findChild<History *>();
        QVERIFY(history && history->isVisible());
        auto *table = history->findChild<QTableView *>("historyTable");
        QCOMPARE(table->model()->rowCount(), 1);

        w.window->receiveDelivery("DEVICE X-100\r\nSN 6\r\nGROUP#1 0.5\r\nEND\r\n");
        QTRY_COMPARE(table->model()->rowCount(), 2);
        // A name typed for a kept transfer reaches its file and History when the next file is
        // read; a kept file that the operator removed meanwhile stays removed.
        const auto objects = [table] {
            return rowsOf(table->model(), { int(HistoryColumn::Object) });
        };
        w.widget<QLineEdit>("edtObject")->setText("Pipe 2");
        QVERIFY(w.window->readChangesFrom(folder.filePath("old.csv")));
        QTRY_VERIFY2(objects().contains("Pipe 2"), qPrintable(objects().join('|')));
        w.window->receiveDelivery("SN 7\r\nGROUP#1 0.6\r\nEND\r\n");
        const QString kept = QDir(folder.path()).entryInfoList({ "*SN-7.csv" }).value(0).filePath();
        QVERIFY(QFile::remove(kept));
        w.widget<QLineEdit>("edtObject")->setText("Pipe 3");
        w.window->receiveDelivery("SN 8\r\nGROUP#1 0.7\r\nEND\r\n");
        QVERIFY(!QFile::exists(kept));
        const int old = objects().indexOf("Pipe 1");
        table->selectRow(old);
        table->setCurrentIndex(table->model()->index(old, 0));
        history->findChild<QPushButton *>("openButton")->click();
        QCOMPARE(w.text("edtObject"), "Pipe 1");
        QCOMPARE(w.window->measurementStore(), Store({ { "G", { "1" } } }));
    }

private:
    static bool setUserVersion(const QString &database, int version)
    {
        bool done = false;
        {
            QSqlDatabase connection = QSqlDatabase::addDatabase("QSQLITE", "damage");
            connection.setDatabaseName(database);
            done = connection.open()
                && QSqlQuery(connection)
                       .exec(QStringLiteral("PRAGMA user_version = %1").arg(version));
        }
        QSqlDatabase::removeDatabase("damage");
        return done;
    }
};

int main(int argc, char *argv[])
{
    // The second process of the test of two copies at once: indexes a folder and says how it went.
    if (argc == 4 && qstrcmp(argv[1], "--index") == 0) {
        QCoreApplication app(argc, argv);
        ArchiveIndex index(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
        const ArchiveIndexSummary summary = index.update();
        QTextStream(stdout) << summaryText(summary) << Qt::endl;
        return summary.error.isEmpty() ? 0 : 1;
    }
    QApplication app(argc, argv);
    HistoryTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_history.moc"
