#include "devicelinktesting.h"
#include "tablecontents.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSerialPort>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

#include <sys/resource.h>

// The port over real pseudo-terminals: receiving, a port that fails to open, removal, and a
// line that hangs up under the open port.
class SerialPortTest : public QObject
{
    Q_OBJECT

private slots:
    void transferInRandomDeliveriesReachesTheTable();
    void failedOpenShowsTheBoxAndKeepsThePort();
    void removalClosesThePort_data();
    void removalClosesThePort();
    void listChangeWhileTheFailureBoxIsOpen();
    void hangUpClosesThePortWithoutSpinning();
    void lineBackBeforeTheHangUpWasNoticedIsOpenedAgain();
};

static qint64 cpuMicroseconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000 + usage.ru_utime.tv_usec
        + usage.ru_stime.tv_usec;
}

void SerialPortTest::transferInRandomDeliveriesReachesTheTable()
{
    PseudoTerminal adapter;
    DeviceFixture f({ adapterDevice(adapter.name()) });
    QVERIFY(f.window->serialPort() && f.window->serialPort()->isOpen());
    QVERIFY(f.indicator());

    const QString text =
        QString::fromUtf8("DEVICE Т-100\r\nSN 517\r\nGROUP#1 0.52\r\n"
                          "GROUP#1 0.55\r\nGROUP#2 1.07\r\nGROUP#Ж мм 3\r\nEND\r\n");
    const QByteArray transfer = QTextCodec::codecForName("CP866")->fromUnicode(text);
    QRandomGenerator random(4711);
    for (qsizetype sent = 0; sent < transfer.size();) {
        const qsizetype size = qMin<qsizetype>(random.bounded(1, 12), transfer.size() - sent);
        QVERIFY(adapter.write(transfer.mid(sent, size)));
        sent += size;
        QTest::qWait(random.bounded(0, 5));
    }
    auto *table = f.window->findChild<QTableWidget *>(QStringLiteral("tableMeasurement"));
    QTRY_COMPARE(table->columnCount(), 3);

    const QMap<QString, QStringList> expected {
        { QStringLiteral("GROUP#1"), { QStringLiteral("0.52"), QStringLiteral("0.55") } },
        { QStringLiteral("GROUP#2"), { QStringLiteral("1.07") } },
        { QString::fromUtf8("GROUP#Ж"), { QString::fromUtf8("мм 3") } },
    };
    QCOMPARE(f.window->measurementStore(), expected);
    QCOMPARE(f.window->instrumentName(), QString::fromUtf8("DEVICE Т-100"));
    QCOMPARE(TableContents::of(table).columns.at(0), (QStringList { "0.52", "0.55" }));
}

void SerialPortTest::failedOpenShowsTheBoxAndKeepsThePort()
{
    DiagnosticsCapture diagnostics;
    MessageBoxAnswerer answerer;
    DeviceFixture f({ adapterDevice(missingDevice()) });

    QCOMPARE(answerer.boxes, 1);
    QCOMPARE(answerer.icon, QMessageBox::Critical);
    QCOMPARE(answerer.title, QStringLiteral("Failed to open port"));
    QCOMPARE(answerer.text, QStringLiteral("The serial port used by another application"));
    QCOMPARE(answerer.buttons, 1);
    // The system's own reason, not the box's fixed text.
    QVERIFY2(answerer.informativeText.contains(QStringLiteral("No such file")),
             qPrintable(answerer.informativeText));

    QVERIFY(!f.indicator());
    QSerialPort *failed = f.window->serialPort();
    QVERIFY(failed && !failed->isOpen());
    QCOMPARE(diagnostics.messages.last(),
             QStringLiteral("Serial device by default:  \"%1\"  open fail.").arg(missingDevice()));
    QVERIFY(!diagnostics.messages.join('\n').contains(QStringLiteral("Open port")));

    // Still listed: no second attempt, however often the list changes around it.
    f.source->play({ FakeDeviceSource::device(QStringLiteral("ttyS0"), QString()),
                     adapterDevice(missingDevice()) });
    f.source->play({ adapterDevice(missingDevice()) });
    QCOMPARE(answerer.boxes, 1);
    QCOMPARE(f.window->serialPort(), failed);
}

void SerialPortTest::removalClosesThePort_data()
{
    QTest::addColumn<bool>("opens");
    QTest::newRow("open port") << true;
    QTest::newRow("port that failed to open") << false;
}

void SerialPortTest::removalClosesThePort()
{
    QFETCH(bool, opens);
    PseudoTerminal adapter;
    const QString name = opens ? adapter.name() : missingDevice();
    MessageBoxAnswerer answerer;
    DeviceFixture f({ adapterDevice(name) });
    QPointer<QSerialPort> port = f.window->serialPort();
    QVERIFY(port);
    QCOMPARE(port->isOpen(), opens);

    DiagnosticsCapture diagnostics;
    f.source->play({});
    QVERIFY(!f.window->serialPort());
    QVERIFY(!port);
    QVERIFY(!f.indicator());
    QVERIFY(!adapter.slaveIsOpen());
    QCOMPARE(diagnostics.messages,
             (QStringList { QStringLiteral("Close port"), QStringLiteral("()") }));
}

void SerialPortTest::listChangeWhileTheFailureBoxIsOpen()
{
    PseudoTerminal adapter;
    FakeDeviceSource *source = nullptr;
    // Inside the box the failed device leaves and a working adapter arrives: the failed port is
    // closed there, the adapter opened, and the failure path must leave the new port alone.
    MessageBoxAnswerer answerer([&] { source->play({ adapterDevice(adapter.name()) }); });
    DiagnosticsCapture diagnostics;
    source = new FakeDeviceSource({ adapterDevice(missingDevice()) });
    MainWindow window(nullptr, source);

    QCOMPARE(answerer.boxes, 1);
    QSerialPort *port = window.serialPort();
    QVERIFY(port && port->isOpen());
    QCOMPARE(port->portName(), adapter.name());
    QVERIFY(window.findChild<QAction *>(QStringLiteral("actionConnection"))->isChecked());
    QVERIFY(adapter.slaveIsOpen());

    const QStringList &messages = diagnostics.messages;
    const qsizetype closed = messages.indexOf(QStringLiteral("Close port"));
    const qsizetype opened =
        messages.indexOf(QStringLiteral("Open port  \"%1\"").arg(adapter.name()));
    QVERIFY(closed >= 0 && opened > closed);
    QCOMPARE(messages.last(),
             QStringLiteral("Serial device by default:  \"%1\"  open fail.").arg(missingDevice()));
}

void SerialPortTest::hangUpClosesThePortWithoutSpinning()
{
    // The listed name is a link, so that after the hang-up the same name can lead to a new line,
    // as an adapter plugged in again comes back under its old name.
    QTemporaryDir directory;
    const QString link = directory.filePath(QStringLiteral("adapter"));
    auto first = std::make_unique<PseudoTerminal>();
    QVERIFY(QFile::link(first->path(), link));
    DeviceFixture f({ adapterDevice(link) });
    QVERIFY(f.window->serialPort() && f.window->serialPort()->isOpen());

    DiagnosticsCapture diagnostics;
    first->hangUp();
    QTRY_VERIFY_WITH_TIMEOUT(!f.window->serialPort(), 1000);
    QVERIFY(!f.indicator());
    QVERIFY(diagnostics.messages.contains(QStringLiteral("Close port")));

    const qint64 before = cpuMicroseconds();
    QTest::qWait(1000);
    const qint64 spent = cpuMicroseconds() - before;
    QVERIFY2(spent < 100000,
             qPrintable(QStringLiteral("%1 µs of CPU in one idle second").arg(spent)));

    // The device list never showed it gone; it is opened again all the same.
    PseudoTerminal second;
    QVERIFY(QFile::remove(link));
    QVERIFY(QFile::link(second.path(), link));
    f.source->play(f.source->devices);
    QVERIFY(f.window->serialPort() && f.window->serialPort()->isOpen());
    QVERIFY(second.slaveIsOpen());
}

void SerialPortTest::lineBackBeforeTheHangUpWasNoticedIsOpenedAgain()
{
    // The name already leads to the new line when the old one hangs up, and the system sends no
    // news of it: nothing but the program's own second look can find the line again.
    QTemporaryDir directory;
    const QString link = directory.filePath(QStringLiteral("adapter"));
    auto first = std::make_unique<PseudoTerminal>();
    QVERIFY(QFile::link(first->path(), link));
    DeviceFixture f({ adapterDevice(link) });
    QVERIFY(f.window->serialPort() && f.window->serialPort()->isOpen());

    PseudoTerminal second;
    QVERIFY(QFile::remove(link));
    QVERIFY(QFile::link(second.path(), link));
    first->hangUp();
    QTRY_VERIFY_WITH_TIMEOUT(second.slaveIsOpen(), 3000);
    QVERIFY(f.window->serialPort() && f.window->serialPort()->isOpen());
    QVERIFY(f.indicator());
}

QTEST_MAIN(SerialPortTest)
#include "tst_serialport.moc"
