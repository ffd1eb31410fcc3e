#include "records/changefile.h"
#include "records/grouporder.h"
#include "records/savename.h"
#include "testing.h"

#include <QBuffer>
#include <QtTest>

using Store = Measurements;

// What the program writes: the file of changes as bytes (what is written, how a file written by
// hand reads, a failing device, the name proposed for it) and the printed protocol as the document
// handed to the printer. Round trips in both languages are tested with the translation.
class RecordsTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldWriteHeaderAndRecords()
    {
        const Store store { { "GROUP#2", { "1.07" } },
                            { "GROUP#1", { "0.52", "0.55" } },
                            { "A;B", { "x;y" } },
                            { "GROUP#10", { "3" } },
                            { "C", {} },
                            { "K", { "" } } };
        QBuffer buffer;
        QVERIFY(buffer.open(QIODevice::WriteOnly));
        QVERIFY(writeChangeFile(buffer,
                                { "Pipe 12", "Team 2", QDateTime({ 2026, 12, 5 }, { 14, 3, 9 }),
                                  "DEVICE X-100", "SN 517", store },
                                ChangeFilePrefixes::untranslated()));
        QCOMPARE(buffer.data(),
                 "THE OBJECT OF CONTROL Pipe 12\r\nINSPECTOR Team 2\r\n05.12.2026 14:03:09\r\n"
                 "DEVICE X-100\r\nSN 517\r\nA;B;x;y\r\nC\r\nGROUP#1;0.52;0.55\r\nGROUP#2;1.07\r\n"
                 "GROUP#10;3\r\nK;\r\n");

        QFile full(QStringLiteral("/dev/full"));
        QVERIFY(full.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        QVERIFY(!writeChangeFile(full, { "Pipe 12", {}, {}, {}, {}, store }));
    }

    // Every ordinary line end (LF, CR alone, CR CR LF, CR LF), blank lines and lines without a
    // separator, a repeated name (its last record counts) and no line end at the end.
    void shouldReadAFileWrittenByHand()
    {
        QByteArray bytes(
            "THE OBJECT OF CONTROL Pipe 12\nINSPECTOR Team 2\r05.12.2026 10:00:00\r\r\n"
            "\nSN 5\rK;\rplain\r\n\r\nL;;2;\n;1\r\r\nK;3;4");
        QBuffer buffer(&bytes);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        const Control content = readChangeFile(buffer, ChangeFilePrefixes::untranslated());
        QCOMPARE(QStringList({ content.object, content.inspector, content.deviceName,
                               content.serialNumber }),
                 QStringList({ "Pipe 12", "Team 2", "", "SN 5" }));
        QCOMPARE(content.dateTime, QDateTime({ 2026, 12, 5 }, { 10, 0 }));
        QCOMPARE(content.measurements,
                 Store({ { "", { "1" } }, { "K", { "3", "4" } }, { "L", { "", "2", "" } } }));

        // A line end that the reader's blocks of a mebibyte cut in two.
        bytes = "THE OBJECT OF CONTROL ";
        bytes += QByteArray((1 << 20) - 2 - bytes.size(), 'x') + "\r\r\nINSPECTOR Team 2";
        QBuffer large(&bytes);
        QVERIFY(large.open(QIODevice::ReadOnly));
        QCOMPARE(readChangeFile(large, ChangeFilePrefixes::untranslated()).inspector, "Team 2");
    }

    // Numbers as numbers, of any length; everything else code unit by code unit.
    void shouldOrderGroupsByTheirNumbers()
    {
        const QStringList ordered { "A",
                                    "A9b",
                                    "A10a",
                                    "GROUP#",
                                    "GROUP#01",
                                    "GROUP#1",
                                    "GROUP#2",
                                    "GROUP#10",
                                    "GROUP#11",
                                    "GROUP#99999999999999999999",
                                    "GROUP#100000000000000000000",
                                    "group#1" };
        Store store;
        for (const QString &name : ordered)
            store.insert(name, {});
        QCOMPARE(groupsInOrder(store), ordered);
    }

    void shouldProposeANameThatStaysInItsFolder()
    {
        QCOMPARE(defaultChangeFileName("Pipe 12.3", "A:B", "05.12.2026 14:03"),
                 "Pipe_12_3_A_B_05_12_2026_14_03");
        QCOMPARE(defaultChangeFileName("../a\\b", "", "5/12/26"), "___a_b__5_12_26");
    }

    // Received and typed texts are shown as written, never taken for markup.
    void shouldGiveTheWorkedExampleExactly()
    {
        const Control control { "<b>Tank</b>",
                                "\"Smith\" & 'Sons'",
                                {},
                                "D1",
                                "S7",
                                { { "B", { "2.0" } }, { "A&", { "<1.5", "1.7" } } } };
        QCOMPARE(buildProtocol(control, "05.12.2026 10:30"),
                 "<h1>D I R I R E Z E</h1><p>PROTOCOL OF CONTROL</p><p></p>"
                 "<p><b>D1 S7</b></p><p>THE OBJECT OF CONTROL <b>&lt;b&gt;Tank&lt;/b&gt;</b></p>"
                 "<p>DATE <b>05.12.2026 10:30</b></p>"
                 "<p>INSPECTOR <b>&quot;Smith&quot; &amp; 'Sons'</b></p>"
                 "<p></p><p>MEASUREMENTS</p><table border=\"1\"><tr><th><th>A&amp;<th>B"
                 "<tr><td>1<td>&lt;1.5<td>2.0<tr><td>2<td>1.7<td></table><p></p>");
    }

    // Ten groups a table, each table with its own row numbers from 1.
    void shouldPutTenGroupsInATable()
    {
        Control control;
        for (int group = 0; group < 21; ++group)
            control.measurements[QStringLiteral("G%1").arg(group, 2, 10, QLatin1Char('0'))] = {
                "v"
            };
        control.measurements["G10"] << "w";
        QStringList tables = buildProtocol(control, {}).split("<table border=\"1\">").mid(1);
        for (QString &table : tables)
            table = table.section("</table>", 0, 0).remove(QRegularExpression("<t[hd]>v?"));
        QCOMPARE(tables,
                 QStringList({ "<tr>G00G01G02G03G04G05G06G07G08G09<tr>1",
                               "<tr>G10G11G12G13G14G15G16G17G18G19<tr>1<tr>2w", "<tr>G20<tr>1" }));
    }

    // Wherever the end of a page falls, the last page holds the last reading: the empty paragraph
    // after the last table once made a blank page of its own.
    void shouldLeaveNoBlankLastPage()
    {
        for (int readings = 60; readings <= 100; ++readings) {
            Control control;
            for (int reading = 1; reading <= readings; ++reading)
                control.measurements["GROUP#1"] << QStringLiteral("r%1").arg(reading);
            const QStringList pages = protocolPdfPages(control);
            QVERIFY2(
                pages.value(pages.size() - 1).contains(QStringLiteral("r%1").arg(readings)),
                qPrintable(QStringLiteral("%1 readings: %2").arg(readings).arg(pages.join('|'))));
        }
    }
};

QTEST_MAIN(RecordsTest)
#include "tst_records.moc"
