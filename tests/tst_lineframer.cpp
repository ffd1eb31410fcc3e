#include "coretesting.h"
#include "device/instrumenttext.h"
#include "device/lineframer.h"

#include <QTextCodec>
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

// The instrument's byte stream cut into lines, whatever the deliveries' boundaries.
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

    // Lines of the instrument's code page in either line end, some as long as the bound or a
    // little longer, with zero bytes anywhere, cut into random deliveries; the last line
    // sometimes waits for the quiet interval.
    void anySplitGivesTheLinesAsWritten()
    {
        QTextCodec *const cp866 = QTextCodec::codecForName("CP866");
        QRandomGenerator random(20100517);
        for (int round = 0; round < 300; ++round) {
            QByteArray stream;
            QStringList expected;
            for (int count = random.bounded(1, 12); count > 0; --count) {
                QString written = random.bounded(6)
                    ? randomText(random, 20).replace(u'€', u'\r').remove(u'ä')
                    : QString(bound + random.bounded(-2, 3), u'ж');
                written += random.bounded(2) ? "\r" : "";
                // The bound cuts a long line; a CR directly before the LF is its line end.
                for (qsizetype from = 0; from < written.size() || from == 0; from += bound) {
                    QString piece = written.mid(from, bound);
                    if (from + bound >= written.size() && piece.endsWith(u'\r'))
                        piece.chop(1);
                    expected << piece;
                }
                QByteArray bytes = cp866->fromUnicode(written) + '\n';
                for (int zeros = random.bounded(3); zeros > 0; --zeros)
                    bytes.insert(random.bounded(bytes.size() + 1), '\0');
                stream += bytes;
            }
            if (random.bounded(2) && stream.endsWith('\n') && !expected.constLast().isEmpty())
                stream.chop(1);
            else
                expected << "<no tail>";
            QByteArrayList deliveries;
            for (qsizetype from = 0, size; from < stream.size(); from += size)
                deliveries << stream.mid(from,
                                         size = random.bounded(random.bounded(8) ? 17 : 3000));
            QStringList lines;
            for (const QByteArray &line : framed(deliveries << QByteArray()))
                lines << decodeInstrumentText(line);
            QCOMPARE(lines, expected);
        }
    }
};

QTEST_GUILESS_MAIN(LineFramerTest)
#include "tst_lineframer.moc"
