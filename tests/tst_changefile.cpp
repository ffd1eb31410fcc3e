#include "records/changefile.h"

#include <QBuffer>
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
    void shouldWriteHeaderAndRecords()
    {
        const Store store { { "GROUP#2", { "1.07" } },
                            { "GROUP#1", { "0.52", "0.55" } },
                            { "A;B", { "x;y" } },
                            { "C", {} },
                            { "K", { "" } } };
        QCOMPARE(write({ "Pipe 12", "Team 2", QDateTime(QDate(2026, 12, 5), QTime(14, 3, 9)),
                         "DEVICE X-100", "SN 517", store }),
                 exampleHeader + "A;B;x;y\r\nC\r\nGROUP#1;0.52;0.55\r\nGROUP#2;1.07\r\nK;\r\n");
    }

    void shouldReportAFailedWrite()
    {
        QFile full(QStringLiteral("/dev/full"));
        QVERIFY(full.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        QVERIFY(!writeChangeFile(full, { "Pipe 12", {}, {}, {}, {}, {} }));
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

        QTest::newRow("empty values and name, repeated name, no last line end")
            << exampleHeader + "K;\r\nL;;2;\r\n;1\r\nK;3;4" << none << example
            << Store { { "", { "1" } }, { "K", { "3", "4" } }, { "L", { "", "2", "" } } };
        QTest::newRow("LF only, lines without separator, date that does not parse")
            << QByteArray("THE OBJECT OF CONTROL Pipe 12\nINSPECTOR Team 2\n31.02.2026 10:00:00"
                          "\n\n\nA;1\nplain\r\n\r\nB;2\n\n")
            << none << pipe << Store { { "A", { "1" } }, { "B", { "2" } } };
        QTest::newRow("German file, German in use")
            << QByteArray("PRÜFOBJEKT Pipe 12\r\nPRÜFER Team 2\r\n") << german << pipe << Store();
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
