#include "mainwindow/mainwindow.h"
#include "nodevices.h"
#include "tablecontents.h"

#include <QDateTimeEdit>
#include <QElapsedTimer>
#include <QLabel>
#include <QRandomGenerator>
#include <QSerialPort>
#include <QStatusBar>
#include <QTranslator>
#include <QtTest>

#include <pty.h>
#include <unistd.h>

using Store = QMap<QString, QStringList>;

namespace {

QStringList capturedDebug;
QtMessageHandler previousHandler = nullptr;

void captureDebug(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtDebugMsg)
        capturedDebug.append(message);
    else if (previousHandler)
        previousHandler(type, context, message);
}

const QDateTime longAgo(QDate(2001, 2, 3), QTime(4, 5, 6));

// Bytes of a literal, zero bytes included.
template<qsizetype size> QByteArray bytes(const char (&text)[size])
{
    return QByteArray(text, size - 1);
}

// Runs the event loop until the window no longer waits for the rest of a line.
bool waitUntilQuiet(const MainWindow &window)
{
    const auto *timer = window.findChild<QTimer *>(QStringLiteral("quietTimer"));
    QDeadlineTimer deadline(5000);
    while (timer->isActive() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return !timer->isActive();
}

// Everything a transfer may change, read from the outside of the window.
struct Observed
{
    QString deviceName;
    QString serialNumber;
    QString deviceLabel;
    QString serialLabel;
    Store store;
    TableContents table;
    bool dateStamped = false;

    bool operator==(const Observed &other) const
    {
        return deviceName == other.deviceName && serialNumber == other.serialNumber
            && deviceLabel == other.deviceLabel && serialLabel == other.serialLabel
            && store == other.store && table == other.table && dateStamped == other.dateStamped;
    }
};

char *toString(const Observed &observed)
{
    QString store;
    for (auto group = observed.store.cbegin(); group != observed.store.cend(); ++group)
        store += QStringLiteral(" %1=(%2)").arg(group.key(), group->join(u'|'));
    char *tableText = toString(observed.table);
    const QString text =
        QStringLiteral("device %1 / %2, serial %3 / %4, date %5, store%6, table %7")
            .arg(observed.deviceName, observed.deviceLabel, observed.serialNumber,
                 observed.serialLabel,
                 observed.dateStamped ? QStringLiteral("set") : QStringLiteral("old"), store,
                 QString::fromUtf8(tableText));
    delete[] tableText;
    return qstrdup(text.toUtf8().constData());
}

} // namespace

// The receive path as the window runs it: deliveries of bytes in, members, labels, store, table
// and diagnostics out.
class TransferTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void workedExampleGivesEightDiagnosticsAndTheTable();
    void anySplitGivesTheSameResultAsOneDelivery_data();
    void anySplitGivesTheSameResultAsOneDelivery();
    void interpretsLinesByTheirMarkers_data();
    void interpretsLinesByTheirMarkers();
    void lineWithSeveralMarkersGetsEveryEffectInOrder();
    void installedTranslationReplacesTheMarkers();
    void endLineWithoutGroupsDrawsWhatTheStoreHolds();
    void groupLinesAfterTheEndWaitForTheNextEnd();
    void groupLinesWithoutSerialLineAddToTheStore();
    void decodesEveryHighByteAsCodePage866();
    void emptyDeliveryOnlyCountsItsBytes();
    void overlongLineIsCutAtTheBound();
    void lastLineWithoutLineFeedCountsAfterTheQuietInterval();
    void lastLineWithoutLineFeedCountsWhenThePortCloses();
    void longDeviceAndSerialLinesLeaveTheWindowItsSize();

private:
    std::unique_ptr<MainWindow> makeWindow();
    static Observed observe(const MainWindow &window);
    static QStringList lineDiagnostics();

    template<typename T> static T *widget(const MainWindow &window, const char *name)
    {
        return window.findChild<T *>(QLatin1String(name));
    }
};

void TransferTest::init()
{
    capturedDebug.clear();
    previousHandler = qInstallMessageHandler(captureDebug);
}

void TransferTest::cleanup()
{
    qInstallMessageHandler(previousHandler);
}

std::unique_ptr<MainWindow> TransferTest::makeWindow()
{
    auto window = std::make_unique<MainWindow>(nullptr, new NoDevices);
    widget<QDateTimeEdit>(*window, "dtmDate")->setDateTime(longAgo);
    capturedDebug.clear();
    return window;
}

Observed TransferTest::observe(const MainWindow &window)
{
    Observed observed;
    observed.deviceName = window.instrumentName();
    observed.serialNumber = window.instrumentSerialNumber();
    observed.deviceLabel = widget<QLabel>(window, "lblDevice")->text();
    observed.serialLabel = widget<QLabel>(window, "lblZav")->text();
    observed.store = window.measurementStore();
    observed.table = TableContents::of(widget<QTableWidget>(window, "tableMeasurement"));
    observed.dateStamped = widget<QDateTimeEdit>(window, "dtmDate")->dateTime() != longAgo;
    return observed;
}

// The diagnostics of the lines, without those of the deliveries.
QStringList TransferTest::lineDiagnostics()
{
    QStringList lines = capturedDebug;
    lines.removeIf([](const QString &message) { return message.startsWith(u"Readed:"); });
    return lines;
}

void TransferTest::workedExampleGivesEightDiagnosticsAndTheTable()
{
    auto window = makeWindow();
    widget<QStatusBar>(*window, "statusBar")->showMessage(QStringLiteral("left over"));
    const QDateTime before = QDateTime::currentDateTime();

    window->receiveDelivery("DEVICE X-100\r\nSN 517\r\nGROUP#1 0.52\r\nGROUP#1 0.55\r\n"
                            "GROUP#2 1.07\r\nEND\r\n");

    QCOMPARE(capturedDebug,
             QStringList({
                 "Readed:  69  bytes",
                 "input:  \"DEVICE X-100\"",
                 "input:  \"SN 517\"",
                 "input:  \"GROUP#1 0.52\"",
                 "input:  \"GROUP#1 0.55\"",
                 "input:  \"GROUP#2 1.07\"",
                 "input:  \"END\"",
                 "\"END\"",
             }));
    const Observed observed = observe(*window);
    QCOMPARE(observed.deviceName, QStringLiteral("DEVICE X-100"));
    QCOMPARE(observed.deviceLabel, QStringLiteral("DEVICE X-100"));
    QCOMPARE(observed.serialNumber, QStringLiteral("SN 517"));
    QCOMPARE(observed.serialLabel, QStringLiteral("SN 517"));
    QCOMPARE(observed.store,
             Store({ { "GROUP#1", { "0.52", "0.55" } }, { "GROUP#2", { "1.07" } } }));
    QCOMPARE(observed.table.headers, QStringList({ "GROUP#1", "GROUP#2" }));
    QCOMPARE(observed.table.columns,
             QList<QStringList>({ { "0.52", "0.55" }, { "1.07", QString() } }));
    const QDateTime stamped = widget<QDateTimeEdit>(*window, "dtmDate")->dateTime();
    QVERIFY(stamped >= before.addSecs(-60) && stamped <= QDateTime::currentDateTime().addSecs(60));
    QVERIFY(widget<QStatusBar>(*window, "statusBar")->currentMessage().isEmpty());
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
        << bytes("noise\r\n\r\nSN 9\nGROUP#\x8e\x8f a\rb \r\nGROUP 5 \r\nGROUP#4\r\n"
                 "x GROUP#5  two  blanks\nGROUP#6 SNOW\r\nGROUP#7 \0z\r\nEND");
}

void TransferTest::anySplitGivesTheSameResultAsOneDelivery()
{
    QFETCH(QByteArray, transfer);

    const auto deliverInPieces = [this, &transfer](const QList<qsizetype> &cuts, Observed &observed,
                                                   QStringList &lines) {
        auto window = makeWindow();
        // The event loop does not run between the deliveries, so the interval only shortens the
        // wait for the last line.
        window->findChild<QTimer *>(QStringLiteral("quietTimer"))->setInterval(1);
        qsizetype from = 0;
        for (const qsizetype cut : cuts) {
            window->receiveDelivery(transfer.mid(from, cut - from));
            from = cut;
        }
        window->receiveDelivery(transfer.mid(from));
        // A last line without a line feed counts once the line stays quiet.
        QVERIFY(waitUntilQuiet(*window));
        observed = observe(*window);
        lines = lineDiagnostics();
        QCOMPARE(capturedDebug.size() - lines.size(), cuts.size() + 1);
    };

    Observed expected;
    QStringList expectedLines;
    deliverInPieces({}, expected, expectedLines);
    QVERIFY(expected.dateStamped);

    // Every single cut, so every cut between CR and LF and inside every marker is met ...
    for (qsizetype cut = 0; cut <= transfer.size(); ++cut) {
        Observed observed;
        QStringList lines;
        deliverInPieces({ cut }, observed, lines);
        QCOMPARE(observed, expected);
        QCOMPARE(lines, expectedLines);
    }
    // ... and many cuts at random places, some deliveries empty.
    QRandomGenerator random(20100517);
    for (int round = 0; round < 60; ++round) {
        QList<qsizetype> cuts;
        const int count = random.bounded(2, 24);
        for (int i = 0; i < count; ++i)
            cuts.append(random.bounded(transfer.size() + 1));
        std::sort(cuts.begin(), cuts.end());
        Observed observed;
        QStringList lines;
        deliverInPieces(cuts, observed, lines);
        QCOMPARE(observed, expected);
        QCOMPARE(lines, expectedLines);
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
    QTest::newRow("only the first # counts")
        << QByteArray("GROUP#1#2 a b\n") << Store { { "GROUP#1#2", { "a b" } } };
    QTest::newRow("repeated groups and identical values")
        << QByteArray("GROUP#1 1\nGROUP#2 2\nGROUP#1 1\nGROUP#1 1\n")
        << Store { { "GROUP#1", { "1", "1", "1" } }, { "GROUP#2", { "2" } } };
    QTest::newRow("crlf reaches no value, an inner cr stays")
        << QByteArray("GROUP#1 0.5\r\nGROUP#1 a\rb\r\n")
        << Store { { "GROUP#1", { "0.5", "a\rb" } } };
    QTest::newRow("zero bytes are dropped alone") << bytes("GRO\0UP#1 0.\0"
                                                           "5\r\nGROUP#1 7\n")
                                                  << Store { { "GROUP#1", { "0.5", "7" } } };
    QTest::newRow("code page 866")
        << QByteArray("GROUP#\x8e\xa1 \xe0\xf0\n")
        << Store { { QString::fromUtf8("GROUP#Об"), { QString::fromUtf8("рЁ") } } };
    QTest::newRow("markers are case-sensitive")
        << QByteArray("group#1 1\nGroup#1 2\nsn\nend\n") << Store {};
}

void TransferTest::interpretsLinesByTheirMarkers()
{
    QFETCH(QByteArray, delivery);
    QFETCH(Store, store);

    auto window = makeWindow();
    window->receiveDelivery(delivery);
    QCOMPARE(window->measurementStore(), store);
    QVERIFY(!observe(*window).dateStamped);
}

void TransferTest::lineWithSeveralMarkersGetsEveryEffectInOrder()
{
    auto window = makeWindow();
    window->receiveDelivery("SN 1\nGROUP#0 old\nEND\nDEVICE SN GROUP#1 0.5 END\r\n");

    const QString line = QStringLiteral("DEVICE SN GROUP#1 0.5 END");
    const Observed observed = observe(*window);
    QCOMPARE(observed.deviceName, line);
    QCOMPARE(observed.serialNumber, line);
    // The serial effect comes before the group effect, and the end effect draws the result.
    QCOMPARE(observed.store, Store({ { "DEVICE SN GROUP#1", { "0.5 END" } } }));
    QCOMPARE(observed.table.headers, QStringList { "DEVICE SN GROUP#1" });
    QCOMPARE(observed.table.columns, QList<QStringList> { { "0.5 END" } });
    QCOMPARE(capturedDebug.mid(capturedDebug.size() - 2),
             QStringList({ "input:  \"DEVICE SN GROUP#1 0.5 END\"", "\"END\"" }));
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

    auto window = makeWindow();
    window->receiveDelivery("GERAET 1\nNR 7\nGRUPPE/1 5\nGRUPPE#2 6 x\nSN 8\nGROUP#3 9\nENDE\n");
    QCOMPARE(window->instrumentName(), QStringLiteral("GERAET 1"));
    QCOMPARE(window->instrumentSerialNumber(), QStringLiteral("NR 7"));
    QCOMPARE(window->measurementStore(),
             Store({ { "GRUPPE/1", { "5" } }, { "GRUPPE#2 6 x", { "GRUPPE#2 6 x" } } }));
    QCOMPARE(capturedDebug.last(), QStringLiteral("\"ENDE\""));
}

void TransferTest::endLineWithoutGroupsDrawsWhatTheStoreHolds()
{
    auto window = makeWindow();
    window->receiveDelivery("SN 1\nGROUP#1 1\nGROUP#2 2\nGROUP#2 3\nEND\n");
    QCOMPARE(observe(*window).table.headers.size(), 2);
    widget<QDateTimeEdit>(*window, "dtmDate")->setDateTime(longAgo);

    window->receiveDelivery("SN 2\n");
    // The serial line clears the items and labels, but leaves the counts for the next drawing.
    const auto *table = widget<QTableWidget>(*window, "tableMeasurement");
    QCOMPARE(table->columnCount(), 2);
    QVERIFY(!table->item(0, 0) && !table->horizontalHeaderItem(0));

    window->receiveDelivery("END\n");
    const Observed observed = observe(*window);
    QVERIFY(observed.dateStamped);
    QCOMPARE(observed.table, TableContents());
}

void TransferTest::groupLinesAfterTheEndWaitForTheNextEnd()
{
    auto window = makeWindow();
    window->receiveDelivery("SN 1\nGROUP#1 1\nEND\nGROUP#3 9\nGROUP#1 2\n");
    QCOMPARE(window->measurementStore(),
             Store({ { "GROUP#1", { "1", "2" } }, { "GROUP#3", { "9" } } }));
    QCOMPARE(observe(*window).table.columns, QList<QStringList> { { "1" } });

    window->receiveDelivery("END\n");
    QCOMPARE(observe(*window).table.headers, QStringList({ "GROUP#1", "GROUP#3" }));
    QCOMPARE(observe(*window).table.columns,
             QList<QStringList>({ { "1", "2" }, { "9", QString() } }));
}

void TransferTest::groupLinesWithoutSerialLineAddToTheStore()
{
    auto window = makeWindow();
    window->receiveDelivery("SN 1\nGROUP#1 1\nEND\n");
    window->receiveDelivery("GROUP#1 2\nGROUP#2 3\nEND\n");
    QCOMPARE(window->measurementStore(),
             Store({ { "GROUP#1", { "1", "2" } }, { "GROUP#2", { "3" } } }));
    QCOMPARE(window->instrumentSerialNumber(), QStringLiteral("SN 1"));
}

void TransferTest::decodesEveryHighByteAsCodePage866()
{
    // Code page 866 from 0x80 to 0xFF: the Cyrillic alphabet with box drawing in between, then
    // Ukrainian and Belarusian letters and a few signs.
    static const char16_t codePage[128] = {
        0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A,
        0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425,
        0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430,
        0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B,
        0x043C, 0x043D, 0x043E, 0x043F, 0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562,
        0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534,
        0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560,
        0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
        0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x0440, 0x0441, 0x0442,
        0x0443, 0x0444, 0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D,
        0x044E, 0x044F, 0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E, 0x00B0,
        0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0,
    };
    QByteArray delivery = "DEVICE ";
    for (int byte = 0x80; byte <= 0xFF; ++byte)
        delivery.append(char(byte));
    delivery.append("\r\n");

    auto window = makeWindow();
    window->receiveDelivery(delivery);
    const QString name = window->instrumentName();
    QCOMPARE(name.size(), 7 + 128);
    for (int i = 0; i < 128; ++i)
        QVERIFY2(name.at(7 + i) == QChar(codePage[i]),
                 qPrintable(QStringLiteral("byte 0x%1 gave U+%2")
                                .arg(0x80 + i, 0, 16)
                                .arg(name.at(7 + i).unicode(), 4, 16, QLatin1Char('0'))));
    QCOMPARE(name.at(7 + 0x0E), QChar(0x041E));
}

void TransferTest::emptyDeliveryOnlyCountsItsBytes()
{
    auto window = makeWindow();
    window->receiveDelivery(QByteArray());
    window->receiveDelivery(QByteArray(3, '\0'));
    QCOMPARE(capturedDebug, QStringList({ "Readed:  0  bytes", "Readed:  3  bytes" }));
    QCOMPARE(observe(*window), observe(*makeWindow()));
}

void TransferTest::overlongLineIsCutAtTheBound()
{
    auto window = makeWindow();
    const QByteArray noise(LineFramer::maxTailBytes, 'x');
    window->receiveDelivery("SN 1\nGROUP#1 " + noise + "\n");
    // The first piece carries the marker; the rest of the run is a line of its own.
    QCOMPARE(window->measurementStore().value("GROUP#1").size(), 1);
    QCOMPARE(window->measurementStore().value("GROUP#1").first().size(),
             LineFramer::maxTailBytes - 8);
    QCOMPARE(lineDiagnostics().size(), 3);
}

void TransferTest::lastLineWithoutLineFeedCountsAfterTheQuietInterval()
{
    auto window = makeWindow();
    QElapsedTimer clock;
    clock.start();
    window->receiveDelivery("SN 1\r\nGROUP#1 0.5\r\nGROUP#2 7");
    QCOMPARE(window->measurementStore(), Store({ { "GROUP#1", { "0.5" } } }));
    window->receiveDelivery("\r\nEND");
    QVERIFY(!observe(*window).dateStamped);

    QTRY_VERIFY_WITH_TIMEOUT(observe(*window).dateStamped, 5000);
    QVERIFY2(clock.elapsed() >= 80, "the line counted before the line had been quiet");
    QCOMPARE(observe(*window).table.headers, QStringList({ "GROUP#1", "GROUP#2" }));
    QCOMPARE(capturedDebug.mid(capturedDebug.size() - 2),
             QStringList({ "input:  \"END\"", "\"END\"" }));
}

void TransferTest::lastLineWithoutLineFeedCountsWhenThePortCloses()
{
    // A pseudo-terminal stands for the adapter; the source reports it, then reports it gone.
    int controller = -1;
    int device = -1;
    char deviceName[256] = {};
    QVERIFY(::openpty(&controller, &device, deviceName, nullptr, nullptr) == 0);
    const auto closeBoth = qScopeGuard([&] {
        ::close(controller);
        ::close(device);
    });
    const QString portName = QString::fromLocal8Bit(deviceName).mid(int(qstrlen("/dev/")));

    struct OneAdapter : NoDevices
    {
        QList<SerialDeviceInfo> devices;
        QList<SerialDeviceInfo> scan() override { return devices; }
    };
    auto *source = new OneAdapter;
    SerialDeviceInfo adapter;
    adapter.name = portName;
    adapter.productId = QStringLiteral("6001");
    source->devices = { adapter };
    MainWindow window(nullptr, source);
    QVERIFY(window.serialPort() && window.serialPort()->isOpen());
    capturedDebug.clear();

    const QByteArray transfer = "SN 1\r\nGROUP#1 0.5\r\nEND";
    QCOMPARE(::write(controller, transfer.constData(), size_t(transfer.size())),
             ssize_t(transfer.size()));
    // Waits for the bytes without letting the quiet interval pass.
    const auto bytesRead = [] {
        qsizetype count = 0;
        for (const QString &message : std::as_const(capturedDebug))
            if (message.startsWith(u"Readed:"))
                count += message.section(u' ', 2, 2).toLongLong();
        return count;
    };
    QDeadlineTimer deadline(5000);
    while (bytesRead() < transfer.size() && !deadline.hasExpired())
        QCoreApplication::processEvents();
    QCOMPARE(bytesRead(), transfer.size());
    QVERIFY(!capturedDebug.contains(u"\"END\""));

    source->devices.clear();
    emit source->changed();
    QCOMPARE(window.serialPort(), nullptr);
    const qsizetype closed = capturedDebug.indexOf(QStringLiteral("Close port"));
    QVERIFY(closed >= 0);
    QCOMPARE(capturedDebug.mid(closed, 3),
             QStringList({ "Close port", "input:  \"END\"", "\"END\"" }));
    QCOMPARE(TableContents::of(widget<QTableWidget>(window, "tableMeasurement")).columns,
             QList<QStringList> { { "0.5" } });
}

// Line noise often holds "SN" or "DEVICE"; a label that widened the window to such a line once
// made it hundreds of thousands of pixels wide and its image hundreds of megabytes.
void TransferTest::longDeviceAndSerialLinesLeaveTheWindowItsSize()
{
    // Shown at its own size, as the program shows it.
    auto window = makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto *deviceLabel = widget<QLabel>(*window, "lblDevice");
    auto *serialLabel = widget<QLabel>(*window, "lblZav");
    const int width = window->width();

    window->receiveDelivery("DEVICE X-100\r\nSN 517\r\n");
    QTest::qWait(50);
    QCOMPARE(window->width(), width);
    // Short texts show whole, and the serial label takes the rest of the row.
    QVERIFY(deviceLabel->width() >= deviceLabel->sizeHint().width());
    QVERIFY(serialLabel->width() >= serialLabel->sizeHint().width());
    QVERIFY(serialLabel->geometry().right() > width - 20);

    const QByteArray run(60000, 'x');
    window->receiveDelivery("DEVICE " + run + "\r\nSN " + run + "\r\n");
    QTest::qWait(50);
    QCOMPARE(window->width(), width);
    QVERIFY(window->minimumSize().width() <= width);
    QCOMPARE(deviceLabel->text().size(), 60007);
    QCOMPARE(serialLabel->text().size(), 60003);
}

QTEST_MAIN(TransferTest)
#include "tst_transfer.moc"
