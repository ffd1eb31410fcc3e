#include "coretesting.h"
#include "records/changefile.h"

#include <QtTest>

// The printed protocol: the document built from a control, and its pages.
class ProtocolTest : public QObject
{
    Q_OBJECT

private slots:
    // Ten groups a table, each with its own row numbers from 1, in the groups' order; received
    // and typed texts are shown as written, never taken for markup.
    void shouldGiveTheWorkedExampleExactly()
    {
        QFile input(testData("protocol/worked-example.csv"));
        QVERIFY(input.open(QIODevice::ReadOnly));
        const Control control = readChangeFile(input, ChangeFilePrefixes::untranslated());
        QCOMPARE(buildProtocol(control, "05.12.2026 10:30") + '\n',
                 QString::fromUtf8(readFile(testData("protocol/worked-example.html"))));
    }

    // Wherever the end of a page falls, the last page holds the last reading under the table's
    // group names and says which page it is: the empty paragraph after the last table once made
    // a blank page of its own.
    void shouldLeaveNoBlankLastPage()
    {
        for (int readings = 60; readings <= 100; ++readings) {
            Control control;
            for (int reading = 1; reading <= readings; ++reading)
                control.measurements["GROUP#1"].append(QStringLiteral("r%1").arg(reading));
            const QStringList pages = protocolPdfPages(control);
            const QString last = pages.value(pages.size() - 1);
            QVERIFY2(
                last.contains(QStringLiteral("r%1").arg(readings)) && last.contains("GROUP#1")
                    && last.contains(QStringLiteral("Page %1 of %1").arg(pages.size())),
                qPrintable(QStringLiteral("%1 readings: %2").arg(readings).arg(pages.join('|'))));
        }
    }
};

QTEST_MAIN(ProtocolTest)
#include "tst_protocol.moc"
