#include "records/changefile.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QtTest>

namespace {

QByteArray write(const ChangeFileContent &content)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!writeChangeFile(buffer, content, ChangeFilePrefixes::untranslated()))
        qWarning("writing to a buffer failed");
    return buffer.data();
}

ChangeFileContent read(QByteArray bytes,
                       const ChangeFilePrefixes &prefixes = ChangeFilePrefixes::untranslated())
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return readChangeFile(buffer, prefixes);
}

ChangeFileContent example()
{
    ChangeFileContent content;
    content.object = QStringLiteral("Pipe 12");
    content.inspector = QStringLiteral("Team 2");
    content.dateTime = QDateTime(QDate(2026, 12, 5), QTime(14, 3, 9));
    content.deviceName = QStringLiteral("DEVICE X-100");
    content.serialNumber = QStringLiteral("SN 517");
    content.measurements = { { QStringLiteral("GROUP#1"), { "0.52", "0.55" } },
                             { QStringLiteral("GROUP#2"), { "1.07" } } };
    return content;
}

using Store = QMap<QString, QStringList>;

} // namespace

class TestChangeFile : public QObject
{
    Q_OBJECT

private slots:
    void shouldWriteTheExampleByteForByte()
    {
        QCOMPARE(write(example()),
                 QByteArray("THE OBJECT OF CONTROL Pipe 12\r\nINSPECTOR Team 2\r\n"
                            "05.12.2026 14:03:09\r\nDEVICE X-100\r\nSN 517\r\n"
                            "GROUP#1;0.52;0.55\r\nGROUP#2;1.07\r\n"));
    }

    void shouldWriteFiveLinesForAnEmptyStore()
    {
        ChangeFileContent content = example();
        content.measurements.clear();
        const QByteArray bytes = write(content);
        QCOMPARE(bytes.count("\r\n"), 5);
        QVERIFY(bytes.endsWith("SN 517\r\n"));
        QVERIFY(read(bytes).measurements.isEmpty());
    }

    void shouldRestoreEverythingAfterSaveThenRead()
    {
        // No ";" and no line break in any text; every group holds a value.
        const QString alphabet = QStringLiteral("aZ09 #.,:-_'\"/\\<>ёЖщЯ№ä€\t");
        QRandomGenerator random(20261205);
        const auto text = [&](int maxLength) {
            QString result;
            for (int i = random.bounded(maxLength + 1); i > 0; --i)
                result += alphabet.at(random.bounded(int(alphabet.size())));
            return result;
        };
        for (int round = 0; round < 400; ++round) {
            ChangeFileContent content;
            content.object = text(20);
            content.inspector = text(20);
            content.dateTime = QDateTime(
                QDate(1990 + random.bounded(60), 1 + random.bounded(12), 1 + random.bounded(28)),
                QTime(random.bounded(24), random.bounded(60), random.bounded(60)));
            content.deviceName = text(15);
            content.serialNumber = text(15);
            for (int groups = random.bounded(8); groups > 0; --groups) {
                QStringList values;
                for (int n = 1 + random.bounded(6); n > 0; --n)
                    values << text(6);
                content.measurements.insert(text(8), values);
            }

            const ChangeFileContent back = read(write(content));
            QCOMPARE(back.object, content.object);
            QCOMPARE(back.inspector, content.inspector);
            QCOMPARE(back.dateTime, content.dateTime);
            QCOMPARE(back.deviceName, content.deviceName);
            QCOMPARE(back.serialNumber, content.serialNumber);
            QCOMPARE(back.measurements, content.measurements);
        }
    }

    void shouldSplitTextsThatHoldTheSeparatorAndDropEmptyGroups()
    {
        ChangeFileContent content = example();
        content.measurements = { { "A;B", { "x;y" } }, { "C", {} }, { "K", { "" } } };
        const QByteArray bytes = write(content);
        QVERIFY(bytes.endsWith("\r\nA;B;x;y\r\nC\r\nK;\r\n"));
        QCOMPARE(read(bytes).measurements, (Store { { "A", { "B", "x", "y" } }, { "K", { "" } } }));
    }

    void shouldReadGroupRecords_data()
    {
        QTest::addColumn<QByteArray>("records");
        QTest::addColumn<Store>("store");

        QTest::newRow("empty last value")
            << QByteArray("K;\r\nL;1;\r\nM;;2\r\n")
            << Store { { "K", { "" } }, { "L", { "1", "" } }, { "M", { "", "2" } } };
        QTest::newRow("out of order, repeated")
            << QByteArray("B;1\r\nA;2\r\nB;3;4\r\n")
            << Store { { "A", { "2" } }, { "B", { "3", "4" } } };
        QTest::newRow("LF only, blank lines, lines without separator")
            << QByteArray("\n\nA;1\nplain text\r\n\r\nB;2\n\n")
            << Store { { "A", { "1" } }, { "B", { "2" } } };
        QTest::newRow("empty name") << QByteArray(";1;2\r\n") << Store { { "", { "1", "2" } } };
        QTest::newRow("last line without line end")
            << QByteArray("A;1\r\nB;2") << Store { { "A", { "1" } }, { "B", { "2" } } };
    }

    void shouldReadGroupRecords()
    {
        QFETCH(QByteArray, records);
        QFETCH(Store, store);
        const QByteArray header("THE OBJECT OF CONTROL o\r\nINSPECTOR i\r\n"
                                "05.12.2026 14:03:09\r\nd\r\ns\r\n");
        QCOMPARE(read(header + records).measurements, store);
    }

    void shouldTakeTheFirstFiveLinesAsTheHeaderWhateverTheyHold()
    {
        const ChangeFileContent content =
            read("A;1\r\nB;2\r\n31.02.2026 10:00:00\r\nC;3\r\nD;4\r\nE;5\r\n");
        QCOMPARE(content.object, QString()); // shorter than the fixed count
        QVERIFY(!content.dateTime.isValid());
        QCOMPARE(content.deviceName, QStringLiteral("C;3"));
        QCOMPARE(content.serialNumber, QStringLiteral("D;4"));
        QCOMPARE(content.measurements, (Store { { "E", { "5" } } }));
    }

    void shouldCountMissingLinesAsEmpty()
    {
        const ChangeFileContent content = read("THE OBJECT OF CONTROL Pipe 12\nINSPECTOR Team 2\n");
        QCOMPARE(content.object, QStringLiteral("Pipe 12"));
        QCOMPARE(content.inspector, QStringLiteral("Team 2"));
        QVERIFY(!content.dateTime.isValid());
        QVERIFY(content.deviceName.isEmpty() && content.serialNumber.isEmpty());
        QVERIFY(content.measurements.isEmpty());
        QVERIFY(read(QByteArray()).object.isEmpty());
    }

    void shouldStripObjectAndInspectorPrefixes_data()
    {
        QTest::addColumn<QString>("objectLine");
        QTest::addColumn<QString>("inspectorLine");
        QTest::addColumn<QStringList>("prefixesInUse");
        const QStringList english { "THE OBJECT OF CONTROL ", "INSPECTOR " };
        const QStringList german { "PRÜFOBJEKT ", "PRÜFER " };

        QTest::newRow("English file, English in use") << "THE OBJECT OF CONTROL Pipe 12"
                                                      << "INSPECTOR Team 2" << english;
        QTest::newRow("English file, German in use") << "THE OBJECT OF CONTROL Pipe 12"
                                                     << "INSPECTOR Team 2" << german;
        QTest::newRow("German file, German in use") << "PRÜFOBJEKT Pipe 12"
                                                    << "PRÜFER Team 2" << german;
        QTest::newRow("unknown prefixes of 16 and 10 characters") << "ОБЪЕКТ КОНТРОЛЯ Pipe 12"
                                                                  << "ИНСПЕКТОР Team 2" << english;
    }

    void shouldStripObjectAndInspectorPrefixes()
    {
        QFETCH(QString, objectLine);
        QFETCH(QString, inspectorLine);
        QFETCH(QStringList, prefixesInUse);
        const ChangeFileContent content =
            read((objectLine + "\r\n" + inspectorLine + "\r\n").toUtf8(),
                 { prefixesInUse[0], prefixesInUse[1] });
        QCOMPARE(content.object, QStringLiteral("Pipe 12"));
        QCOMPARE(content.inspector, QStringLiteral("Team 2"));
    }

    void shouldReportAFailedWrite()
    {
        QFile full(QStringLiteral("/dev/full"));
        QVERIFY(full.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        QVERIFY(!writeChangeFile(full, example()));
    }

    void shouldBuildTheDefaultFileName_data()
    {
        QTest::addColumn<QString>("object");
        QTest::addColumn<QString>("inspector");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("name");

        QTest::newRow("blank, point, colon") << "Pipe 12.3"
                                             << "A:B"
                                             << "05.12.2026 14:03"
                                             << "Pipe_12_3_A_B_05_12_2026_14_03";
        QTest::newRow("empty fields") << ""
                                      << ""
                                      << "5/12/26"
                                      << "__5_12_26";
        QTest::newRow("initial texts") << "Object's name"
                                       << "Inspector's name"
                                       << "x"
                                       << "Object's_name_Inspector's_name_x";
        QTest::newRow("path separators") << "../a\\b"
                                         << "c"
                                         << "d"
                                         << "___a_b_c_d";
    }

    void shouldBuildTheDefaultFileName()
    {
        QFETCH(QString, object);
        QFETCH(QString, inspector);
        QFETCH(QString, date);
        QFETCH(QString, name);
        QCOMPARE(defaultChangeFileName(object, inspector, date), name);
    }
};

QTEST_GUILESS_MAIN(TestChangeFile)
#include "tst_changefile.moc"
