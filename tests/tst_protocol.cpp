#include "records/protocol.h"

#include <QTextDocument>
#include <QtTest>

namespace {

// One measurement table of a protocol, read back from its markup.
struct Table
{
    QStringList groups;
    QList<QStringList> rows; // each row: its number, then one cell per group
};

// Relies on the document's own form: no closing tags for rows and cells.
QList<Table> tablesOf(const QString &document)
{
    QList<Table> tables;
    const QStringList parts = document.split(QStringLiteral("<table border=\"1\">"));
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QString body = parts.at(i).section(QStringLiteral("</table>"), 0, 0);
        const QStringList lines = body.split(QStringLiteral("<tr>"));
        Table table;
        table.groups = lines.value(1).split(QStringLiteral("<th>")).mid(2);
        for (qsizetype row = 2; row < lines.size(); ++row)
            table.rows.append(lines.at(row).split(QStringLiteral("<td>")).mid(1));
        tables.append(table);
    }
    return tables;
}

QString groupName(int index)
{
    return QStringLiteral("G%1").arg(index, 2, 10, QLatin1Char('0'));
}

} // namespace

class TestProtocol : public QObject
{
    Q_OBJECT

private slots:
    void shouldGiveTheWorkedExampleExactly();
    void shouldEndWithTheHeadingPartForAnEmptyStore();
    void shouldPutAtMostTenGroupsInATable_data();
    void shouldPutAtMostTenGroupsInATable();
    void shouldCountRowsPerTableAndLeaveShortGroupsEmptyAtTheBottom();
    void shouldShowInsertedMarkupAsWritten();
};

void TestProtocol::shouldGiveTheWorkedExampleExactly()
{
    ProtocolInputs inputs;
    inputs.deviceName = QStringLiteral("D1");
    inputs.serialNumber = QStringLiteral("S7");
    inputs.object = QStringLiteral("Tank 3");
    inputs.date = QStringLiteral("05.12.2026 10:30");
    inputs.inspector = QStringLiteral("team B");
    inputs.measurements[QStringLiteral("B")] = QStringList { QStringLiteral("2.0") };
    inputs.measurements[QStringLiteral("A")] =
        QStringList { QStringLiteral("1.5"), QStringLiteral("1.7") };

    QCOMPARE(buildProtocol(inputs),
             QStringLiteral("<h1>D I R I R E Z E</h1><p>PROTOCOL OF CONTROL</p><p></p>"
                            "<p><b>D1 S7</b></p><p>THE OBJECT OF CONTROL <b>Tank 3</b></p>"
                            "<p>DATE <b>05.12.2026 10:30</b></p><p>INSPECTOR <b>team B</b></p>"
                            "<p></p><p>MEASUREMENTS</p><table border=\"1\"><tr><th><th>A<th>B"
                            "<tr><td>1<td>1.5<td>2.0<tr><td>2<td>1.7<td></table><p></p>"));
}

void TestProtocol::shouldEndWithTheHeadingPartForAnEmptyStore()
{
    QCOMPARE(buildProtocol(ProtocolInputs()),
             QStringLiteral("<h1>D I R I R E Z E</h1><p>PROTOCOL OF CONTROL</p><p></p>"
                            "<p><b> </b></p><p>THE OBJECT OF CONTROL <b></b></p>"
                            "<p>DATE <b></b></p><p>INSPECTOR <b></b></p>"
                            "<p></p><p>MEASUREMENTS</p>"));
}

void TestProtocol::shouldPutAtMostTenGroupsInATable_data()
{
    QTest::addColumn<int>("groups");
    QTest::addColumn<QList<int>>("groupsPerTable");

    QTest::newRow("10 groups") << 10 << QList<int> { 10 };
    QTest::newRow("11 groups") << 11 << QList<int> { 10, 1 };
    QTest::newRow("20 groups") << 20 << QList<int> { 10, 10 };
    QTest::newRow("21 groups") << 21 << QList<int> { 10, 10, 1 };
}

void TestProtocol::shouldPutAtMostTenGroupsInATable()
{
    QFETCH(int, groups);
    QFETCH(QList<int>, groupsPerTable);

    // Inserted backwards, so the tables must follow the store's key order, not arrival.
    ProtocolInputs inputs;
    for (int group = groups - 1; group >= 0; --group)
        inputs.measurements[groupName(group)] = QStringList { QString::number(group) };

    const QList<Table> tables = tablesOf(buildProtocol(inputs));
    QCOMPARE(tables.size(), groupsPerTable.size());
    int next = 0;
    for (qsizetype t = 0; t < tables.size(); ++t) {
        QStringList expectedGroups;
        QStringList expectedRow { QStringLiteral("1") };
        for (int i = 0; i < groupsPerTable.at(t); ++i, ++next) {
            expectedGroups << groupName(next);
            expectedRow << QString::number(next);
        }
        QCOMPARE(tables.at(t).groups, expectedGroups);
        QCOMPARE(tables.at(t).rows, QList<QStringList> { expectedRow });
    }
}

void TestProtocol::shouldCountRowsPerTableAndLeaveShortGroupsEmptyAtTheBottom()
{
    // First table: G00 holds three values, G01 one, the rest none. Second table: G10 holds two
    // values, G11 none. Third table: only empty groups.
    ProtocolInputs inputs;
    for (int group = 0; group < 23; ++group)
        inputs.measurements[groupName(group)] = QStringList();
    inputs.measurements[groupName(0)] = QStringList { "a1", "a2", "a3" };
    inputs.measurements[groupName(1)] = QStringList { "b1" };
    inputs.measurements[groupName(10)] = QStringList { "c1", "c2" };

    const QList<Table> tables = tablesOf(buildProtocol(inputs));
    QCOMPARE(tables.size(), 3);

    const QStringList eight(8, QString());
    QCOMPARE(tables.at(0).rows,
             (QList<QStringList> { QStringList { "1", "a1", "b1" } + eight,
                                   QStringList { "2", "a2", "" } + eight,
                                   QStringList { "3", "a3", "" } + eight }));
    const QStringList nine(9, QString());
    QCOMPARE(tables.at(1).rows,
             (QList<QStringList> { QStringList { "1", "c1" } + nine,
                                   QStringList { "2", "c2" } + nine }));
    QCOMPARE(tables.at(2).groups, (QStringList { groupName(20), groupName(21), groupName(22) }));
    QVERIFY(tables.at(2).rows.isEmpty());
}

void TestProtocol::shouldShowInsertedMarkupAsWritten()
{
    ProtocolInputs inputs;
    inputs.deviceName = QStringLiteral("<i>dev</i>");
    inputs.serialNumber = QStringLiteral("S&N");
    inputs.object = QStringLiteral("<b>x</b>");
    inputs.date = QStringLiteral("1 < 2");
    inputs.inspector = QStringLiteral("\"Smith\" & 'Sons'");
    inputs.measurements[QStringLiteral("a&b")] = QStringList { QStringLiteral("<0.5") };
    inputs.measurements[QStringLiteral("</table>")] = QStringList { QStringLiteral("9") };

    const QString document = buildProtocol(inputs);
    const QList<Table> tables = tablesOf(document);
    QCOMPARE(tables.size(), 1);

    // Laid out as the printer gets it, every inserted text reads as typed or received.
    QTextDocument layout;
    layout.setHtml(document);
    const QString text = layout.toPlainText();
    for (const QString &written :
         { QStringLiteral("<i>dev</i> S&N"), QStringLiteral("THE OBJECT OF CONTROL <b>x</b>"),
           QStringLiteral("DATE 1 < 2"), QStringLiteral("INSPECTOR \"Smith\" & 'Sons'"),
           QStringLiteral("</table>"), QStringLiteral("a&b"), QStringLiteral("<0.5") })
        QVERIFY2(text.contains(written), qPrintable(written + QStringLiteral(" in: ") + text));
}

QTEST_MAIN(TestProtocol)
#include "tst_protocol.moc"
