#include "records/changefile.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QtTest>

namespace {

using Store = QMap<QString, QStringList>;

QByteArray write(const ChangeFileContent &content)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    writeChangeFile(buffer, content, ChangeFilePrefixes::untranslated());
    return buffer.data();
}

ChangeFileContent read(QByteArray bytes, const QStringList &prefixesInUse = {})
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return readChangeFile(buffer,
                          prefixesInUse.isEmpty()
                              ? ChangeFilePrefixes::untranslated()
                              : ChangeFilePrefixes { prefixesInUse[0], prefixesInUse[1] });
}

// The five header lines as read back, the date to the second.
QStringList header(const ChangeFileContent &content)
{
    return { content.object, content.inspector, content.dateTime.toString(Qt::ISODate),
             content.deviceName, content.serialNumber };
}

const QByteArray exampleHeader("THE OBJECT OF CONTROL Pipe 12\r\nINSPECTOR Team 2\r\n"
                               "05.12.2026 14:03:09\r\nDEVICE X-100\r\nSN 517\r\n");

} // namespace

class TestChangeFile : public QObject
{
    Q_OBJECT

private slots:
    void shouldWriteHeaderAndRecords_data()
    {
        QTest::addColumn<Store>("store");
        QTest::addColumn<QByteArray>("records");
        QTest::newRow("example") << Store { { "GROUP#2", { "1.07" } },
                                            { "GROUP#1", { "0.52", "0.55" } } }
                                 << QByteArray("GROUP#1;0.52;0.55\r\nGROUP#2;1.07\r\n");
        QTest::newRow("empty store: five lines") << Store() << QByteArray();
        QTest::newRow("separators in texts, no value, one empty value")
            << Store { { "A;B", { "x;y" } }, { "C", {} }, { "K", { "" } } }
            << QByteArray("A;B;x;y\r\nC\r\nK;\r\n");
    }

    void shouldWriteHeaderAndRecords()
    {
        QFETCH(Store, store);
        QFETCH(QByteArray, records);
        QCOMPARE(write({ "Pipe 12", "Team 2", QDateTime(QDate(2026, 12, 5), QTime(14, 3, 9)),
                         "DEVICE X-100", "SN 517", store }),
                 exampleHeader + records);
    }

    void shouldReportAFailedWrite()
    {
        QFile full(QStringLiteral("/dev/full"));
        QVERIFY(full.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        QVERIFY(!writeChangeFile(full, { "Pipe 12", {}, {}, {}, {}, {} }));
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
            ChangeFileContent content { text(20), text(20), {}, text(15), text(15), {} };
            content.dateTime = QDateTime(QDate(1990, 1, 1).addDays(random.bounded(20000)),
                                         QTime(0, 0).addSecs(random.bounded(86400)));
            for (int groups = random.bounded(8); groups > 0; --groups) {
                QStringList &values = content.measurements[text(8)];
                for (int n = 1 + random.bounded(6); n > 0; --n)
                    values << text(6);
            }
            const ChangeFileContent back = read(write(content));
            QCOMPARE(header(back), header(content));
            QCOMPARE(back.measurements, content.measurements);
        }
    }

    void shouldRead_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("prefixesInUse"); // none: the untranslated ones
        QTest::addColumn<QStringList>("header");
        QTest::addColumn<Store>("store");
        const QStringList german { "PRÜFOBJEKT ", "PRÜFER " }, none;
        const QStringList example { "Pipe 12", "Team 2", "2026-12-05T14:03:09", "DEVICE X-100",
                                    "SN 517" };
        const QStringList pipe { "Pipe 12", "Team 2", "", "", "" };

        QTest::newRow("empty values and name")
            << exampleHeader + "K;\r\nL;;2;\r\n;1\r\n"
            << none << example
            << Store { { "", { "1" } }, { "K", { "" } }, { "L", { "", "2", "" } } };
        QTest::newRow("out of order, repeated, no line end at the end")
            << exampleHeader + "B;1\r\nA;2\r\nB;3;4" << none << example
            << Store { { "A", { "2" } }, { "B", { "3", "4" } } };
        QTest::newRow("LF only, blank lines, lines without separator")
            << QByteArray("THE OBJECT OF CONTROL Pipe 12\nINSPECTOR Team 2\n\n\n\nA;1\nplain\r\n"
                          "\r\nB;2\n\n")
            << none << pipe << Store { { "A", { "1" } }, { "B", { "2" } } };
        QTest::newRow("header whatever it holds, date that does not parse")
            << QByteArray("A;1\r\nB;2\r\n31.02.2026 10:00:00\r\nC;3\r\nD;4\r\nE;5\r\n") << none
            << QStringList { "", "", "", "C;3", "D;4" } << Store { { "E", { "5" } } };
        QTest::newRow("English file, German in use")
            << exampleHeader << german << example << Store();
        QTest::newRow("German file, German in use")
            << QByteArray("PRÜFOBJEKT Pipe 12\r\nPRÜFER Team 2\r\n") << german << pipe << Store();
        QTest::newRow("unknown prefixes of 16 and 10 characters, two lines")
            << QByteArray("ОБЪЕКТ КОНТРОЛЯ Pipe 12\r\nИНСПЕКТОР Team 2\r\n") << none << pipe
            << Store();
    }

    void shouldRead()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, prefixesInUse);
        QFETCH(QStringList, header);
        QFETCH(Store, store);
        const ChangeFileContent content = read(bytes, prefixesInUse);
        QCOMPARE(::header(content), header);
        QCOMPARE(content.measurements, store);
    }

    void shouldBuildTheDefaultFileName()
    {
        QCOMPARE(defaultChangeFileName("Pipe 12.3", "A:B", "05.12.2026 14:03"),
                 "Pipe_12_3_A_B_05_12_2026_14_03");
        QCOMPARE(defaultChangeFileName("../a\\b", "", "5/12/26"), "___a_b__5_12_26");
    }
};

QTEST_GUILESS_MAIN(TestChangeFile)
#include "tst_changefile.moc"
