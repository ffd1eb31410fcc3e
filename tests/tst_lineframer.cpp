#include "device/lineframer.h"

#include <QtTest>

using Lines = QList<QByteArray>;

namespace {

// Feeds the deliveries in turn and collects every line they complete.
Lines feedAll(LineFramer &framer, const QList<QByteArray> &deliveries)
{
    Lines lines;
    for (const QByteArray &delivery : deliveries)
        lines += framer.feed(delivery);
    return lines;
}

} // namespace

class TestLineFramer : public QObject
{
    Q_OBJECT

private slots:
    void shouldCutLinesAtLineFeeds_data();
    void shouldCutLinesAtLineFeeds();
    void shouldJoinALineCutByDeliveries();
    void shouldKeepTheTailUntilTakenAndThenBeEmpty();
    void shouldTakeATrailingCarriageReturnAsTheLineEnd();
    void shouldBoundTheTail_data();
    void shouldBoundTheTail();
    void shouldStayBoundedUnderCarriageReturnsAlone();
};

void TestLineFramer::shouldCutLinesAtLineFeeds_data()
{
    QTest::addColumn<QByteArray>("delivery");
    QTest::addColumn<Lines>("lines");
    QTest::addColumn<QByteArray>("tail");

    QTest::newRow("crlf") << QByteArray("SN 1\r\nEND\r\n") << Lines { "SN 1", "END" }
                          << QByteArray();
    QTest::newRow("lf only") << QByteArray("a\nb\n") << Lines { "a", "b" } << QByteArray();
    QTest::newRow("cr inside stays") << QByteArray("a\rb\r\n") << Lines { "a\rb" } << QByteArray();
    QTest::newRow("only the last cr goes")
        << QByteArray("a\r\r\n") << Lines { "a\r" } << QByteArray();
    QTest::newRow("lone cr is no line end") << QByteArray("a\rb") << Lines {} << QByteArray("a\rb");
    QTest::newRow("empty lines") << QByteArray("\n\r\n\n") << Lines { "", "", "" } << QByteArray();
    QTest::newRow("no line feed") << QByteArray("GROUP#1 2") << Lines {} << QByteArray("GROUP#1 2");
    QTest::newRow("zero bytes dropped alone") << QByteArray("GR\0OUP#1 0.5\r\0\nE\0ND\0", 21)
                                              << Lines { "GROUP#1 0.5" } << QByteArray("END");
    QTest::newRow("only zero bytes") << QByteArray(5, '\0') << Lines {} << QByteArray();
    QTest::newRow("empty delivery") << QByteArray() << Lines {} << QByteArray();
    QTest::newRow("high bytes pass through")
        << QByteArray("\x8e\xff\x80\n") << Lines { "\x8e\xff\x80" } << QByteArray();
}

void TestLineFramer::shouldCutLinesAtLineFeeds()
{
    QFETCH(QByteArray, delivery);
    QFETCH(Lines, lines);
    QFETCH(QByteArray, tail);

    LineFramer framer;
    QCOMPARE(framer.feed(delivery), lines);
    QCOMPARE(framer.hasTail(), !tail.isEmpty());
    QCOMPARE(framer.takeTail().value_or(QByteArray()), tail);
}

void TestLineFramer::shouldJoinALineCutByDeliveries()
{
    const QByteArray transfer = "DEVICE X\r\nSN 5\r\nGROUP#1 0.52\r\nEND\r\n";
    const Lines expected { "DEVICE X", "SN 5", "GROUP#1 0.52", "END" };
    // Every cut into two and into three deliveries, the one between CR and LF included.
    for (int first = 0; first <= transfer.size(); ++first) {
        for (int second = first; second <= transfer.size(); ++second) {
            LineFramer framer;
            const Lines lines = feedAll(framer,
                                        { transfer.left(first), transfer.mid(first, second - first),
                                          transfer.mid(second) });
            QVERIFY2(lines == expected,
                     qPrintable(QStringLiteral("cut at %1, %2").arg(first).arg(second)));
            QVERIFY(!framer.hasTail());
        }
    }
}

void TestLineFramer::shouldKeepTheTailUntilTakenAndThenBeEmpty()
{
    LineFramer framer;
    QCOMPARE(framer.feed("GROUP#1 0."), Lines {});
    QCOMPARE(framer.feed("5"), Lines {});
    QCOMPARE(framer.takeTail(), std::optional<QByteArray>("GROUP#1 0.5"));
    QVERIFY(!framer.hasTail());
    QCOMPARE(framer.takeTail(), std::nullopt);
    // What follows starts a new line rather than continuing the taken one.
    QCOMPARE(framer.feed("END\n"), Lines { "END" });
}

void TestLineFramer::shouldTakeATrailingCarriageReturnAsTheLineEnd()
{
    LineFramer framer;
    framer.feed("GROUP#1 0.5\r");
    QCOMPARE(framer.takeTail(), std::optional<QByteArray>("GROUP#1 0.5"));
    // The late line feed finishes the taken line instead of adding an empty one.
    QCOMPARE(framer.feed(QByteArray("\0\nEND\n", 6)), Lines { "END" });
    // Only the one line feed directly after it is swallowed.
    framer.feed("a\r");
    framer.takeTail();
    QCOMPARE(framer.feed("b\n\n"), Lines({ "b", "" }));
}

void TestLineFramer::shouldBoundTheTail_data()
{
    const qsizetype bound = LineFramer::maxTailBytes;
    QTest::addColumn<QList<QByteArray>>("deliveries");
    QTest::addColumn<QList<qsizetype>>("lineSizes");
    QTest::addColumn<qsizetype>("tailSize");

    QTest::newRow("exactly the bound waits")
        << QList<QByteArray> { QByteArray(bound, 'x') } << QList<qsizetype> {} << bound;
    QTest::newRow("bound then line feed is one line")
        << QList<QByteArray> { QByteArray(bound, 'x'), "\n" } << QList<qsizetype> { bound }
        << qsizetype(0);
    QTest::newRow("bound then crlf is one line")
        << QList<QByteArray> { QByteArray(bound - 1, 'x') + '\r', "\nEND\n" }
        << QList<qsizetype> { bound - 1, 3 } << qsizetype(0);
    QTest::newRow("one byte over") << QList<QByteArray> { QByteArray(bound + 1, 'x') }
                                   << QList<qsizetype> { bound } << qsizetype(1);
    QTest::newRow("long run in small pieces")
        << QList<QByteArray>(200, QByteArray(1000, 'x')) << QList<qsizetype> { bound, bound, bound }
        << qsizetype(200 * 1000 - 3 * bound);
    QTest::newRow("zero bytes do not count")
        << QList<QByteArray> { QByteArray(bound, 'x') + QByteArray(10, '\0') + "\n" }
        << QList<qsizetype> { bound } << qsizetype(0);
}

void TestLineFramer::shouldBoundTheTail()
{
    QFETCH(QList<QByteArray>, deliveries);
    QFETCH(QList<qsizetype>, lineSizes);
    QFETCH(qsizetype, tailSize);

    LineFramer framer;
    QList<qsizetype> sizes;
    for (const QByteArray &line : feedAll(framer, deliveries))
        sizes.append(line.size());
    QCOMPARE(sizes, lineSizes);
    QCOMPARE(framer.takeTail().value_or(QByteArray()).size(), tailSize);
}

void TestLineFramer::shouldStayBoundedUnderCarriageReturnsAlone()
{
    LineFramer framer;
    Lines lines;
    for (int i = 0; i < 5; ++i)
        lines += framer.feed(QByteArray(LineFramer::maxTailBytes / 2 + 7, '\r'));
    QCOMPARE(lines.size(), 2);
    for (const QByteArray &line : lines)
        QCOMPARE(line.size(), LineFramer::maxTailBytes);
    QVERIFY(framer.takeTail()->size() <= LineFramer::maxTailBytes);
}

QTEST_APPLESS_MAIN(TestLineFramer)
#include "tst_lineframer.moc"
