#include "dialogs/compare.h"
#include "dialogs/history.h"
#include "records/archiveindex.h"
#include "records/archiveindexer.h"
#include "records/historymodel.h"
#include "testing.h"

#include <QChart>
#include <QChartView>
#include <QDateEdit>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

namespace {

// Four controls, three of one object (Труба 1) and one of another (Pipe 7), of 1 to 6 December.
const QString fixtures = testData(QStringLiteral("history"));

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

// History's rows as it shows them, by default as "file|object|readings|groups".
QStringList historyRows(const ArchiveIndex &index, const HistoryFilter &filter = {},
                        const QList<int> &columns = {
                            int(HistoryColumn::File), int(HistoryColumn::Object),
                            int(HistoryColumn::Readings), int(HistoryColumn::Groups) })
{
    HistoryModel model;
    model.show(index, filter);
    return rowsOf(&model, columns);
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

} // namespace

// The archive's index against real SQLite files: kept up to date with the folder, made anew when
// damaged, shared by two processes, searched, and the figures that Compare and its chart show.
class HistoryTest : public QObject
{
    Q_OBJECT

    // The fixtures, indexed once.
    QTemporaryDir indexFolder;
    std::unique_ptr<ArchiveIndex> archive;

private slots:
    void initTestCase()
    {
        archive = std::make_unique<ArchiveIndex>(fixtures, indexFolder.filePath("index.sqlite"));
        QCOMPARE(summaryText(archive->update()), "+4 ~0 -0 =0");
    }

    // Only what changed in the folder is read again; a file that is no file of changes is listed
    // as such, dated by its modification, and stops nothing.
    void shouldFollowTheFolderIncrementally()
    {
        QTemporaryDir folder;
        const QString database = folder.filePath("index/history.sqlite");
        const QDir transfers(folder.filePath("transfers"));
        const auto copy = [&transfers](const QString &fixture, const QString &name) {
            return QFile::copy(fixtures + '/' + fixture, transfers.filePath(name));
        };
        QVERIFY(transfers.mkpath("."));
        QVERIFY(copy("a.csv", "a.csv") && copy("b.csv", "b.csv"));
        QVERIFY(writeDated(transfers.filePath("bad.csv"), QByteArray("PK\3\4\0\0binary", 12),
                           QDateTime({ 2026, 11, 30 }, { 9, 0 })));
        QVERIFY(writeFile(transfers.filePath("notes.txt"), "not in the archive"));
        const QString bad = "bad.csv|Unreadable: It is not a text file.||";
        {
            ArchiveIndex index(transfers.path(), database);
            QCOMPARE(summaryText(index.update()), "+3 ~0 -0 =0");
            QCOMPARE(historyRows(index),
                     QStringList({ "b.csv|Труба 1|4|3", "a.csv|Труба 1|4|3", bad }));
        }
        // Written again as it was, so that only its time tells the change.
        const QString a = transfers.filePath("a.csv");
        QVERIFY(writeDated(a, readFile(a), QDateTime({ 2026, 12, 7 }, { 9, 0 })));
        QVERIFY(QFile::remove(transfers.filePath("b.csv")));
        QVERIFY(copy("d.csv", "d.csv"));
        ArchiveIndex index(transfers.path(), database);
        QCOMPARE(summaryText(index.update()), "+1 ~1 -1 =1");
        QCOMPARE(historyRows(index),
                 QStringList({ "d.csv|Труба 1|1|1", "a.csv|Труба 1|4|3", bad }));
        QCOMPARE(summaryText(index.update()), "+0 ~0 -0 =3");

        QVERIFY(copy("c.csv", "e.csv"));
        QVERIFY(index.indexFile(transfers.filePath("e.csv")));
        QCOMPARE(historyRows(index).value(1), "e.csv|Pipe 7|1|1");
    }

    // The files are the record: an index that is damaged, empty, of an older layout or no
    // database at all is made anew from them.
    void shouldRebuildADamagedIndex_data()
    {
        QTest::addColumn<QByteArray>("database");
        QTemporaryDir folder;
        QCOMPARE(summaryText(ArchiveIndex(fixtures, folder.filePath("intact")).update()),
                 "+4 ~0 -0 =0");
        const QByteArray intact = readFile(folder.filePath("intact"));
        // The layout's version is the header's user version, at byte 60.
        const QByteArray older = QByteArray(intact).replace(60, 4, QByteArray(4, '\0'));
        QTest::newRow("truncated") << intact.left(intact.size() / 2);
        QTest::newRow("emptied") << QByteArray();
        QTest::newRow("older layout") << older;
        QTest::newRow("no database") << QByteArray(intact.size(), 'x');
    }
    void shouldRebuildADamagedIndex()
    {
        QFETCH(QByteArray, database);
        QTemporaryDir folder;
        QVERIFY(writeFile(folder.filePath("index.sqlite"), database));
        ArchiveIndex index(fixtures, folder.filePath("index.sqlite"));
        QVERIFY2(index.isOpen(), qPrintable(index.errorString()));
        QCOMPARE(summaryText(index.update()), "+4 ~0 -0 =0");
        QCOMPARE(index.figuresOf(index.controlOfFile(fixtures + "/a.csv")->id).size(), 3);
    }

    // Two copies of the program start on one folder with no index yet: both make the tables,
    // both write, neither fails, and every file is indexed once.
    void shouldShareOneIndexBetweenTwoProcesses()
    {
        QTemporaryDir folder;
        const QString database = folder.filePath("shared.sqlite");
        for (int i = 0; i < 300; ++i)
            QVERIFY(QFile::copy(fixtures + "/a.csv", folder.filePath(QString::number(i) + ".csv")));
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
        QCOMPARE(index.groupHistory("Труба 1", "GROUP#2").size(), 300);
    }

    // One text finds controls by object (whatever the case of its alphabet), inspector, device or
    // serial number; the days narrow them down, the last one whole.
    void shouldFindControls_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QString>("files");
        QTest::newRow("all, newest first") << "" << QDate() << QDate() << "dcba";
        QTest::newRow("object in another case") << "ТРУБА" << QDate() << QDate() << "dba";
        QTest::newRow("inspector") << "ivan" << QDate() << QDate() << "b";
        QTest::newRow("device") << "y-2" << QDate() << QDate() << "c";
        QTest::newRow("serial number") << "SN 517" << QDate() << QDate() << "da";
        QTest::newRow("days") << "" << QDate(2026, 12, 3) << QDate(2026, 12, 5) << "cb";
    }
    void shouldFindControls()
    {
        QFETCH(QString, text);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QString, files);
        const HistoryFilter filter { text, from, to };
        QCOMPARE(
            historyRows(*archive, filter, { int(HistoryColumn::File) }).join("").remove(".csv"),
            files);
        QCOMPARE(archive->historyCount(filter), files.size());
    }

    // A control beside the previous control of its object, group by group in the one order of
    // groups; a group of one control only is marked, a group without numbers has no figures.
    // The chart follows a group's minimum and mean through every control of the object.
    void shouldCompareWithThePreviousControl()
    {
        History history(*archive);
        // Each of the text and the two days leaves out one control, so that b.csv is left alone.
        history.findChild<QLineEdit *>("filterEdit")->setText("труба");
        history.findChild<QDateEdit *>("fromDate")->setDate({ 2026, 12, 2 });
        history.findChild<QDateEdit *>("toDate")->setDate({ 2026, 12, 5 });
        QCOMPARE(history.findChild<QLabel *>("countLabel")->text(), "Controls: 1");
        history.findChild<QTableView *>("historyTable")->selectRow(0);
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
        QVERIFY(QFile::copy(fixtures + "/d.csv", folder.filePath("old.csv")));
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
        table->selectRow(objects().indexOf("Труба 1"));
        history->findChild<QPushButton *>("openButton")->click();
        QCOMPARE(w.text("edtObject"), "Труба 1");
        QCOMPARE(w.window->measurementStore(), Measurements({ { "GROUP#2", { "0,5" } } }));
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
