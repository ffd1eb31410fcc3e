#include "coretesting.h"
#include "device/lineframer.h"

#include <QtTest>

namespace {

constexpr qsizetype bound = LineFramer::maxTailBytes;

// The framer's lines for these deliveries; a null delivery stands for a quiet interval, after
// which the unfinished tail counts as a line.
QByteArrayList framed(const QByteArrayList &deliveries)
{
    LineFramer framer;
    QByteArrayList lines;
    for (const QByteArray &delivery : deliveries) {
        if (delivery.isNull())
            lines << framer.takeTail().value_or("<no tail>");
        else
            lines << framer.feed(delivery);
    }
    return lines;
}

} // namespace

// The instrument's byte stream cut into lines, whatever the deliveries' boundaries (that no
// boundary changes the lines, for any bytes, is fuzz/fuzz_framer's part).
class LineFramerTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldCutLinesAsTheyWereWritten_data()
    {
        QTest::addColumn<QByteArrayList>("deliveries");
        QTest::addColumn<QByteArrayList>("lines");
        const QByteArray quiet;
        const QByteArray full(bound, 'x');
        QTest::newRow("split anywhere")
            << QByteArrayList { "a", "b\nc", "d\n\n" } << QByteArrayList { "ab", "cd", "" };
        QTest::newRow("CR LF, split too")
            << QByteArrayList { "a\r\nb\r", "\nc\n" } << QByteArrayList { "a", "b", "c" };
        QTest::newRow("CR elsewhere kept")
            << QByteArrayList { "\ra\rb\r\r\n" } << QByteArrayList { "\ra\rb\r" };
        QTest::newRow("zero bytes dropped")
            << QByteArrayList { QByteArray("a\0b\n\0", 5), QByteArray("\0\0\n", 3) }
            << QByteArrayList { "ab", "" };
        QTest::newRow("quiet tail") << QByteArrayList { "", "ab", quiet, quiet, "c\n" }
                                    << QByteArrayList { "ab", "<no tail>", "c" };
        // The CR began the line end; the LF after the pause ends nothing more, only once.
        QTest::newRow("quiet after CR")
            << QByteArrayList { "ab\r", quiet, "\n", "\n", "c\r", quiet, "d\n" }
            << QByteArrayList { "ab", "", "c", "d" };
        QTest::newRow("line of the bound")
            << QByteArrayList { full + "\r\n" } << QByteArrayList { full, "" };
        QTest::newRow("line past the bound") << QByteArrayList { full.left(bound - 1), "yz\n" }
                                             << QByteArrayList { full.left(bound - 1) + 'y', "z" };
    }
    void shouldCutLinesAsTheyWereWritten()
    {
        QFETCH(QByteArrayList, deliveries);
        QFETCH(QByteArrayList, lines);
        QCOMPARE(framed(deliveries), lines);
    }
};

QTEST_GUILESS_MAIN(LineFramerTest)
#include "tst_lineframer.moc"
