#include "records/protocol.h"

#include <QTextDocument>
#include <QtTest>

namespace {

using Table = QList<QStringList>; // the header line (a blank corner, then the groups), the rows

// Relies on the document's own form: no closing tags for rows and cells.
QList<Table> tablesOf(const QString &document)
{
    QList<Table> tables;
    for (const QString &part : document.split("<table border=\"1\">").mid(1)) {
        Table table;
        for (const QString &line : part.section("</table>", 0, 0).split("<tr>").mid(1))
            table.append(line.split(QRegularExpression("<t[hd]>")).mid(1));
        tables.append(table);
    }
    return tables;
}

QStringList names(int from, int to)
{
    QStringList names;
    for (int i = from; i < to; ++i)
        names << QStringLiteral("G%1").arg(i, 2, 10, QLatin1Char('0'));
    return names;
}

} // namespace

class TestProtocol : public QObject
{
    Q_OBJECT

private slots:
    void shouldGiveTheWorkedExampleExactly()
    {
        const ProtocolInputs inputs { "D1",     "S7",
                                      "Tank 3", "05.12.2026 10:30",
                                      "team B", { { "B", { "2.0" } }, { "A", { "1.5", "1.7" } } } };
        QCOMPARE(buildProtocol(inputs),
                 "<h1>D I R I R E Z E</h1><p>PROTOCOL OF CONTROL</p><p></p>"
                 "<p><b>D1 S7</b></p><p>THE OBJECT OF CONTROL <b>Tank 3</b></p>"
                 "<p>DATE <b>05.12.2026 10:30</b></p><p>INSPECTOR <b>team B</b></p>"
                 "<p></p><p>MEASUREMENTS</p><table border=\"1\"><tr><th><th>A<th>B"
                 "<tr><td>1<td>1.5<td>2.0<tr><td>2<td>1.7<td></table><p></p>");
        QVERIFY(buildProtocol(ProtocolInputs()).endsWith("<p></p><p>MEASUREMENTS</p>"));
    }

    void shouldPutTenGroupsInATableAndCountRowsInEach()
    {
        ProtocolInputs inputs;
        for (const QString &name : names(0, 23))
            inputs.measurements[name] = QStringList();
        inputs.measurements["G00"] = QStringList { "a1", "a2", "a3" };
        inputs.measurements["G01"] = QStringList { "b1" };
        inputs.measurements["G10"] = QStringList { "c1", "c2" };

        const QStringList eight(8, QString()), nine(9, QString());
        QCOMPARE(
            tablesOf(buildProtocol(inputs)),
            (QList<Table> {
                { QStringList { "" } + names(0, 10), QStringList { "1", "a1", "b1" } + eight,
                  QStringList { "2", "a2", "" } + eight, QStringList { "3", "a3", "" } + eight },
                { QStringList { "" } + names(10, 20), QStringList { "1", "c1" } + nine,
                  QStringList { "2", "c2" } + nine },
                { QStringList { "" } + names(20, 23) } }));
    }

    void shouldShowInsertedMarkupAsWritten()
    {
        const ProtocolInputs inputs {
            "<i>dev</i>",         "S&N",
            "<b>x</b>",           "1 < 2",
            "\"Smith\" & 'Sons'", { { "a&b", { "<0.5" } }, { "</table>", { "9" } } }
        };
        // Laid out as the printer gets it, every inserted text reads as typed or received.
        QTextDocument layout;
        layout.setHtml(buildProtocol(inputs));
        const QString text = layout.toPlainText();
        for (const char *written :
             { "<i>dev</i> S&N", "THE OBJECT OF CONTROL <b>x</b>", "DATE 1 < 2",
               "INSPECTOR \"Smith\" & 'Sons'", "</table>", "a&b", "<0.5" })
            QVERIFY2(text.contains(written), qPrintable(written + QStringLiteral(" in: ") + text));
    }
};

QTEST_MAIN(TestProtocol)
#include "tst_protocol.moc"
