#include "device/lineframer.h"

#include <QtTest>

using Lines = QList<QByteArray>;

class TestLineFramer : public QObject
{
    Q_OBJECT

private slots:
    void cutsDeliveriesIntoBoundedLines_data();
    void cutsDeliveriesIntoBoundedLines();
    void takesTheTailAsALineOfItsOwn();
};

void TestLineFramer::cutsDeliveriesIntoBoundedLines_data()
{
    QTest::addColumn<Lines>("deliveries");
    QTest::addColumn<Lines>("lines");
    QTest::addColumn<QByteArray>("tail");

    const QByteArray full(LineFramer::maxTailBytes, 'x');
    const QByteArray crs(LineFramer::maxTailBytes / 2 + 7, '\r');
    QTest::newRow("crlf, lf and empty lines")
        << Lines { "SN 1\r\nEND\n\n\r\n" } << Lines { "SN 1", "END", "", "" } << QByteArray();
    QTest::newRow("only the cr before the lf goes")
        << Lines { "a\rb\r\r\n" } << Lines { "a\rb\r" } << QByteArray();
    QTest::newRow("a lone cr ends no line") << Lines { "a\rb" } << Lines {} << QByteArray("a\rb");
    QTest::newRow("zero bytes are dropped alone")
        << Lines { QByteArray("GR\0OUP#1 0.5\r\0\nE\0ND\0", 21), QByteArray(5, '\0') }
        << Lines { "GROUP#1 0.5" } << QByteArray("END");
    QTest::newRow("a line cut by deliveries, also between cr and lf")
        << Lines { "GROUP#1 0.", "52\r", "", "\nEND\r", "\n" } << Lines { "GROUP#1 0.52", "END" }
        << QByteArray();
    QTest::newRow("exactly the bound waits") << Lines { full } << Lines {} << full;
    QTest::newRow("the bound, then lf") << Lines { full, "\n" } << Lines { full } << QByteArray();
    QTest::newRow("the bound ending in cr, then lf")
        << Lines { full.chopped(1) + '\r', "\nEND\n" } << Lines { full.chopped(1), "END" }
        << QByteArray();
    QTest::newRow("one byte over") << Lines { full + 'y' } << Lines { full } << QByteArray("y");
    QTest::newRow("a long run in small pieces")
        << Lines(200, QByteArray(1000, 'x')) << Lines(3, full) << QByteArray(3392, 'x');
    QTest::newRow("zero bytes do not count")
        << Lines { full + QByteArray(10, '\0') + "\n" } << Lines { full } << QByteArray();
    QTest::newRow("carriage returns alone")
        << Lines(5, crs) << Lines(2, QByteArray(full.size(), '\r'))
        << QByteArray(5 * crs.size() - 2 * full.size() - 1, '\r');
}

void TestLineFramer::cutsDeliveriesIntoBoundedLines()
{
    QFETCH(Lines, deliveries);
    QFETCH(Lines, lines);
    QFETCH(QByteArray, tail);

    LineFramer framer;
    Lines got;
    for (const QByteArray &delivery : deliveries)
        got += framer.feed(delivery);
    QCOMPARE(got, lines);
    QCOMPARE(framer.hasTail(), !tail.isEmpty());
    QCOMPARE(framer.takeTail().value_or(QByteArray()), tail);
}

void TestLineFramer::takesTheTailAsALineOfItsOwn()
{
    LineFramer framer;
    QCOMPARE(framer.feed("GROUP#1 0."), Lines {});
    QCOMPARE(framer.feed("5\r"), Lines {});
    QCOMPARE(framer.takeTail(), std::optional<QByteArray>("GROUP#1 0.5"));
    QCOMPARE(framer.takeTail(), std::nullopt);
    // A late line feed finishes the taken line instead of adding an empty one, and what follows
    // starts a new line.
    QCOMPARE(framer.feed(QByteArray("\0\nEND\n", 6)), Lines { "END" });
    // Only the one line feed directly after it is swallowed.
    framer.feed("a\r");
    framer.takeTail();
    QCOMPARE(framer.feed("b\n\n"), Lines({ "b", "" }));
}

QTEST_APPLESS_MAIN(TestLineFramer)
#include "tst_lineframer.moc"
