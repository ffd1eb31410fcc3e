#include "devicelinktesting.h"
#include "tablecontents.h"

#include <QDateTimeEdit>
#include <QLabel>
#include <QSerialPort>
#include <QStatusBar>
#include <QtTest>

using Store = QMap<QString, QStringList>;

namespace {

const QDateTime longAgo(QDate(2001, 2, 3), QTime(4, 5, 6));
const QString none = TableContents::noItem;

// A window on a machine with the given devices, its date set long ago, and the diagnostics it
// writes from then on.
struct Window : DeviceFixture
{
    explicit Window(const QList<SerialDeviceInfo> &devices = {})
        : DeviceFixture(devices)
    {
        widget<QDateTimeEdit>("dtmDate")->setDateTime(longAgo);
    }

    template<typename T> T *widget(const char *name) const
    {
        return window->findChild<T *>(QLatin1String(name));
    }
    bool dateStamped() const { return widget<QDateTimeEdit>("dtmDate")->dateTime() != longAgo; }
    TableContents table() const
    {
        return TableContents::of(widget<QTableWidget>("tableMeasurement"));
    }
    // Everything a transfer may change, as text: members and labels, date, table and store.
    QStringList observe() const
    {
        const std::unique_ptr<char[]> tableText(toString(table()));
        QStringList seen;
        seen << window->instrumentName() << widget<QLabel>("lblDevice")->text()
             << window->instrumentSerialNumber() << widget<QLabel>("lblZav")->text()
             << (dateStamped() ? "date set" : "date old") << tableText.get();
        const Store &store = window->measurementStore();
        for (auto group = store.cbegin(); group != store.cend(); ++group)
            seen.append(group.key() + '=' + group->join(u'|'));
        return seen;
    }

    DiagnosticsCapture diagnostics;
};

} // namespace

// The receive path as the window runs it: deliveries of bytes in, members, labels, store, table
// and diagnostics out.
class TransferTest : public QObject
{
    Q_OBJECT

private slots:
    void workedExampleGivesEightDiagnosticsAndTheTable();
    void anySplitGivesTheSameResultAsOneDelivery_data();
    void anySplitGivesTheSameResultAsOneDelivery();
    void interpretsLinesByTheirMarkers_data();
    void interpretsLinesByTheirMarkers();
    void lineWithSeveralMarkersGetsEveryEffectInOrder();
    void installedTranslationReplacesTheMarkers();
    void tableShowsTheStoreAsEachEndLineFindsIt();
    void lastLineWithoutLineFeedCountsAfterTheQuietInterval();
    void lastLineWithoutLineFeedCountsWhenThePortCloses();
    void longDeviceAndSerialLinesLeaveTheWindowItsSize();
};

void TransferTest::workedExampleGivesEightDiagnosticsAndTheTable()
{
    Window w;
    w.widget<QStatusBar>("statusBar")->showMessage(QStringLiteral("left over"));
    w.window->receiveDelivery("DEVICE X-100\r\nSN 517\r\nGROUP#1 0.52\r\nGROUP#1 0.55\r\n"
                              "GROUP#2 1.07\r\nEND\r\n");

    QCOMPARE(w.diagnostics.messages,
             QStringList({ "Readed:  69  bytes", "input:  \"DEVICE X-100\"", "input:  \"SN 517\"",
                           "input:  \"GROUP#1 0.52\"", "input:  \"GROUP#1 0.55\"",
                           "input:  \"GROUP#2 1.07\"", "input:  \"END\"", "\"END\"" }));
    QCOMPARE(w.observe(),
             QStringList({ "DEVICE X-100", "DEVICE X-100", "SN 517", "SN 517", "date set",
                           "2 rows; GROUP#1: 0.52|0.55; GROUP#2: 1.07|<no item>",
                           "GROUP#1=0.52|0.55", "GROUP#2=1.07" }));
    const QDateTime stamped = w.widget<QDateTimeEdit>("dtmDate")->dateTime();
    QVERIFY(qAbs(stamped.secsTo(QDateTime::currentDateTime())) < 60);
    QVERIFY(w.widget<QStatusBar>("statusBar")->currentMessage().isEmpty());
}

void TransferTest::anySplitGivesTheSameResultAsOneDelivery_data()
{
    QTest::addColumn<QByteArray>("transfer");

    QTest::newRow("worked example") << QByteArray("DEVICE X-100\r\nSN 517\r\nGROUP#1 0.52\r\n"
                                                  "GROUP#1 0.55\r\nGROUP#2 1.07\r\nEND\r\n");
    QTest::newRow("two transfers, late groups")
        << QByteArray("SN 1\r\nGROUP#2 1\r\nGROUP#10 2\r\nEND\r\nGROUP#3 7\r\nDEVICE Y\r\n"
                      "SN 2\r\nGROUP#1 3\r\nGROUP#1 3\r\nEND\r\nGROUP#9 late\r\n");
    QTest::newRow("odd lines, no last line feed")
        << QByteArray("noise\r\n\r\nSN 9\nGROUP#\x8e\x8f a\rb \r\nGROUP 5 \r\nGROUP#4\r\n"
                      "x GROUP#5  two  blanks\nGROUP#6 SNOW\r\nGROUP#7 ")
            + '\0' + "z\r\nEND";
}

void TransferTest::anySplitGivesTheSameResultAsOneDelivery()
{
    QFETCH(QByteArray, transfer);

    // The first run, in one delivery, sets what every split must give.
    QStringList expected;
    const auto deliverCut = [&](QList<qsizetype> cuts) {
        Window w;
        auto *quiet = w.window->findChild<QTimer *>(QStringLiteral("quietTimer"));
        // The event loop does not run between the deliveries, so the interval only shortens the
        // wait for a last line without a line feed.
        quiet->setInterval(1);
        cuts.append(transfer.size());
        qsizetype from = 0;
        for (const qsizetype cut : std::as_const(cuts)) {
            w.window->receiveDelivery(transfer.mid(from, cut - from));
            from = cut;
        }
        for (QDeadlineTimer deadline(5000); quiet->isActive() && !deadline.hasExpired();)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QStringList seen = w.diagnostics.messages;
        QCOMPARE(seen.removeIf([](const QString &line) { return line.startsWith(u"Readed:"); }),
                 cuts.size());
        seen += w.observe();
        if (expected.isEmpty())
            expected = seen;
        QCOMPARE(seen, expected);
    };
    deliverCut({});
    QVERIFY(expected.contains("date set"));

    // Every single cut, so that every cut between CR and LF and inside every marker is met ...
    for (qsizetype cut = 0; cut <= transfer.size(); ++cut)
        deliverCut({ cut });
    // ... and many cuts at random places, some deliveries empty.
    QRandomGenerator random(20100517);
    for (int round = 0; round < 60; ++round) {
        QList<qsizetype> cuts(random.bounded(2, 24));
        for (qsizetype &cut : cuts)
            cut = random.bounded(transfer.size() + 1);
        std::sort(cuts.begin(), cuts.end());
        deliverCut(cuts);
    }
}

void TransferTest::interpretsLinesByTheirMarkers_data()
{
    QTest::addColumn<QByteArray>("delivery");
    QTest::addColumn<Store>("store");

    QTest::newRow("SN inside a value empties the store")
        << QByteArray("GROUP#1 0.5\nGROUP#2 SNOW\n") << Store { { "GROUP#2", { "SNOW" } } };
    QTest::newRow("without # ending in a blank")
        << QByteArray("GROUP 1.5 \n") << Store { { "GROUP 1.5", { "" } } };
    QTest::newRow("without # nor a blank at the end")
        << QByteArray("GROUP 1.5\n") << Store { { "GROUP 1.5", { "GROUP 1.5" } } };
    QTest::newRow("# without a blank after it")
        << QByteArray("A GROUP#1\n") << Store { { "A GROUP#1", { "A GROUP#1" } } };
    QTest::newRow("inner blanks stay, leading text stays")
        << QByteArray("x GROUP#1  0.5 mm \n") << Store { { "x GROUP#1", { " 0.5 mm " } } };
    QTest::newRow("repeated groups and identical values")
        << QByteArray("GROUP#1 1\nGROUP#2 2\nGROUP#1 1\nGROUP#1 1\n")
        << Store { { "GROUP#1", { "1", "1", "1" } }, { "GROUP#2", { "2" } } };
    QTest::newRow("markers are case-sensitive")
        << QByteArray("group#1 1\nGroup#1 2\nsn\nend\n") << Store {};
    QTest::newRow("a line over the bound is cut")
        << "GROUP#1 " + QByteArray(LineFramer::maxTailBytes, 'x') + "\n"
        << Store { { "GROUP#1", { QString(LineFramer::maxTailBytes - 8, 'x') } } };
    QByteArray highBytes = "GROUP#1 ";
    for (int byte = 0x80; byte <= 0xFF; ++byte)
        highBytes.append(char(byte));
    QTest::newRow("every high byte in code page 866")
        << highBytes + "\n"
        << Store { { "GROUP#1",
                     { QString::fromUtf8("АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмноп"
                                         "░▒▓│┤╡╢╖╕╣║╗╝╜╛┐└┴┬├─┼╞╟╚╔╩╦╠═╬╧╨╤╥╙╘╒╓╫╪┘┌█▄▌▐▀"
                                         "рстуфхцчшщъыьэюяЁёЄєЇїЎў°∙·√№¤■\u00a0") } } };
}

void TransferTest::interpretsLinesByTheirMarkers()
{
    QFETCH(QByteArray, delivery);
    QFETCH(Store, store);

    Window w;
    w.window->receiveDelivery(delivery);
    QCOMPARE(w.window->measurementStore(), store);
    QVERIFY(!w.dateStamped());
}

void TransferTest::lineWithSeveralMarkersGetsEveryEffectInOrder()
{
    Window w;
    w.window->receiveDelivery("SN 1\nGROUP#0 old\nEND\nDEVICE SN GROUP#1 0.5 END\r\n");

    // The serial effect empties the store before the group effect, and the end effect draws it.
    const QString line = QStringLiteral("DEVICE SN GROUP#1 0.5 END");
    QCOMPARE(w.observe(),
             QStringList({ line, line, line, line, "date set", "1 rows; DEVICE SN GROUP#1: 0.5 END",
                           "DEVICE SN GROUP#1=0.5 END" }));
    QCOMPARE(w.diagnostics.messages.last(2),
             QStringList({ "input:  \"" + line + "\"", "\"END\"" }));
}

void TransferTest::installedTranslationReplacesTheMarkers()
{
    // An instrument that speaks German, known to the program only through its translation.
    class GermanMarkers : public QTranslator
    {
    public:
        bool isEmpty() const override { return false; }
        QString translate(const char *context, const char *source, const char *, int) const override
        {
            static const QHash<QByteArray, QString> words {
                { "DEVICE", "GERAET" }, { "SN", "NR" },    { "GROUP", "GRUPPE" },
                { "#", "/" },           { "END", "ENDE" },
            };
            return qstrcmp(context, "MainWindow") == 0 ? words.value(source) : QString();
        }
    } german;
    QVERIFY(QCoreApplication::installTranslator(&german));
    const auto removeTranslation =
        qScopeGuard([&german] { QCoreApplication::removeTranslator(&german); });

    Window w;
    w.window->receiveDelivery("GERAET 1\nNR 7\nGRUPPE/1 5\nGRUPPE#2 6 x\nSN 8\nGROUP#3 9\nENDE\n");
    QCOMPARE(w.observe(),
             QStringList({ "GERAET 1", "GERAET 1", "NR 7", "NR 7", "date set",
                           "1 rows; GRUPPE#2 6 x: GRUPPE#2 6 x; GRUPPE/1: 5",
                           "GRUPPE#2 6 x=GRUPPE#2 6 x", "GRUPPE/1=5" }));
    QCOMPARE(w.diagnostics.messages.last(), QStringLiteral("\"ENDE\""));
}

void TransferTest::tableShowsTheStoreAsEachEndLineFindsIt()
{
    Window w;
    // Group lines after an end line, without a serial line, add to the store but wait to be shown
    // until the next one.
    w.window->receiveDelivery("SN 1\nGROUP#1 1\nEND\nGROUP#3 9\nGROUP#1 2\n");
    QCOMPARE(w.table(), TableContents({ { "GROUP#1" }, 1, { { "1" } } }));
    w.window->receiveDelivery("END\n");
    QCOMPARE(w.table(),
             TableContents({ { "GROUP#1", "GROUP#3" }, 2, { { "1", "2" }, { "9", none } } }));

    // A serial line clears the items and labels but leaves the counts for the next drawing; an
    // end line without group lines draws the empty store.
    w.widget<QDateTimeEdit>("dtmDate")->setDateTime(longAgo);
    w.window->receiveDelivery("SN 2\n");
    QCOMPARE(w.table(), TableContents({ { none, none }, 2, { { none, none }, { none, none } } }));
    w.window->receiveDelivery("END\n");
    QCOMPARE(w.table(), TableContents());
    QVERIFY(w.dateStamped());
}

void TransferTest::lastLineWithoutLineFeedCountsAfterTheQuietInterval()
{
    Window w;
    w.window->receiveDelivery("SN 1\r\nGROUP#1 0.5\r\nGROUP#2 7");
    QCOMPARE(w.window->measurementStore(), Store({ { "GROUP#1", { "0.5" } } }));
    QElapsedTimer clock;
    clock.start();
    w.window->receiveDelivery("\r\nEND");
    QVERIFY(!w.dateStamped());

    QTRY_VERIFY_WITH_TIMEOUT(w.dateStamped(), 5000);
    QVERIFY2(clock.elapsed() >= 80, "the line counted before the line had been quiet");
    QCOMPARE(w.table().headers, QStringList({ "GROUP#1", "GROUP#2" }));
    QCOMPARE(w.diagnostics.messages.last(2), QStringList({ "input:  \"END\"", "\"END\"" }));
}

void TransferTest::lastLineWithoutLineFeedCountsWhenThePortCloses()
{
    PseudoTerminal adapter;
    Window w({ device(adapter.name()) });
    QVERIFY(w.window->serialPort() && w.window->serialPort()->isOpen());

    const QByteArray transfer = "SN 1\r\nGROUP#1 0.5\r\nEND";
    QVERIFY(adapter.write(transfer));
    // Waits for the bytes without letting the quiet interval pass.
    const QStringList &messages = w.diagnostics.messages;
    const auto bytesRead = [&messages] {
        qsizetype count = 0;
        for (const QString &message : messages)
            count += message.startsWith(u"Readed:") ? message.section(u' ', 2, 2).toLongLong() : 0;
        return count;
    };
    for (QDeadlineTimer deadline(5000); bytesRead() < transfer.size() && !deadline.hasExpired();)
        QCoreApplication::processEvents();
    QCOMPARE(bytesRead(), transfer.size());
    QVERIFY(!messages.contains(u"\"END\""));

    w.source->play({});
    QCOMPARE(w.window->serialPort(), nullptr);
    QCOMPARE(messages.mid(messages.indexOf(QStringLiteral("Close port")), 3),
             QStringList({ "Close port", "input:  \"END\"", "\"END\"" }));
    QCOMPARE(w.table().columns, QList<QStringList> { { "0.5" } });
}

// Line noise often holds "SN" or "DEVICE"; a label that widened the window to such a line once
// made it hundreds of thousands of pixels wide and its image hundreds of megabytes.
void TransferTest::longDeviceAndSerialLinesLeaveTheWindowItsSize()
{
    // Shown at its own size, as the program shows it.
    Window w;
    w.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    auto *deviceLabel = w.widget<QLabel>("lblDevice");
    auto *serialLabel = w.widget<QLabel>("lblZav");
    const int width = w.window->width();

    w.window->receiveDelivery("DEVICE X-100\r\nSN 517\r\n");
    QTest::qWait(50);
    QCOMPARE(w.window->width(), width);
    // Short texts show whole, and the serial label takes the rest of the row.
    QVERIFY(deviceLabel->width() >= deviceLabel->sizeHint().width());
    QVERIFY(serialLabel->width() >= serialLabel->sizeHint().width());
    QVERIFY(serialLabel->geometry().right() > width - 20);

    const QByteArray run(60000, 'x');
    w.window->receiveDelivery("DEVICE " + run + "\r\nSN " + run + "\r\n");
    QTest::qWait(50);
    QCOMPARE(w.window->width(), width);
    QVERIFY(w.window->minimumSize().width() <= width);
    QCOMPARE(deviceLabel->text().size(), 60007);
    QCOMPARE(serialLabel->text().size(), 60003);
}

QTEST_MAIN(TransferTest)
#include "tst_transfer.moc"
