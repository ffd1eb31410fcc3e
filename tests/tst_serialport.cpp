#include "devicelinktesting.h"
#include "tablecontents.h"

#include <QFile>
#include <QPointer>
#include <QRandomGenerator>
#include <QSerialPort>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>
#include <ctime>

// The port over real pseudo-terminals: receiving, a port that fails to open, removal, and a
// line that hangs up under the open port.
class SerialPortTest : public QObject
{
    Q_OBJECT

private slots:
    void transferInRandomDeliveriesReachesTheTable();
    void failedOpenShowsTheBoxAndIsTriedAgainOnlyAfterItsDeviceCameBack();
    void listChangeWhileTheFailureBoxIsOpen();
    void hangUpClosesThePortWithoutSpinning();
    void lineBackBeforeTheHangUpWasNoticedIsOpenedAgain();
};

static const QString openFail = QStringLiteral("Serial device by default:  \"%1\"  open fail.");

void SerialPortTest::transferInRandomDeliveriesReachesTheTable()
{
    PseudoTerminal adapter;
    DeviceFixture f({ device(adapter.name()) });
    const QByteArray transfer = QTextCodec::codecForName("CP866")->fromUnicode(
        QString::fromUtf8("DEVICE Т-100\r\nSN 517\r\nGROUP#1 0.52\r\n"
                          "GROUP#1 0.55\r\nGROUP#2 1.07\r\nGROUP#Ж мм 3\r\nEND\r\n"));
    QRandomGenerator random(4711);
    for (qsizetype sent = 0, size = 0; sent < transfer.size(); sent += size) {
        size = random.bounded(1, 12);
        QVERIFY(adapter.write(transfer.mid(sent, size)));
        QTest::qWait(random.bounded(0, 5));
    }
    auto *table = f.window->findChild<QTableWidget *>(QStringLiteral("tableMeasurement"));
    QTRY_COMPARE(TableContents::of(table).headers,
                 (QStringList { "GROUP#1", "GROUP#2", QString::fromUtf8("GROUP#Ж") }));
    QCOMPARE(TableContents::of(table).columns.at(0), (QStringList { "0.52", "0.55" }));
}

void SerialPortTest::failedOpenShowsTheBoxAndIsTriedAgainOnlyAfterItsDeviceCameBack()
{
    DiagnosticsCapture diagnostics;
    MessageBoxAnswerer answerer;
    DeviceFixture f({ device(missingDevice) });

    QCOMPARE(answerer.boxes, 1);
    QVERIFY(answerer.icon == QMessageBox::Critical && answerer.buttons == QMessageBox::Ok);
    // The system's own reason as the informative text.
    QCOMPARE(answerer.shown,
             (QStringList { "Failed to open port", "The serial port used by another application",
                            "No such file or directory" }));
    QPointer<QSerialPort> failed = f.window->serialPort();
    QVERIFY(failed && !failed->isOpen() && !f.indicator());
    QCOMPARE(diagnostics.messages.last(), openFail.arg(missingDevice));
    QVERIFY(!diagnostics.messages.join('\n').contains("Open port"));

    // Still listed: no second attempt, however often the list changes around it.
    f.source->play({ device("ttyS0", {}), device(missingDevice) });
    f.source->play({ device(missingDevice) });
    QCOMPARE(answerer.boxes, 1);
    QCOMPARE(f.window->serialPort(), failed);

    // Gone: closed and deleted; back: tried again.
    diagnostics.messages.clear();
    f.source->play({});
    QVERIFY(!failed && !f.window->serialPort());
    QCOMPARE(diagnostics.messages, (QStringList { "Close port", "()" }));
    f.source->play({ device(missingDevice) });
    QCOMPARE(answerer.boxes, 2);
}

void SerialPortTest::listChangeWhileTheFailureBoxIsOpen()
{
    PseudoTerminal adapter;
    FakeDeviceSource *source = nullptr;
    // Inside the box the failed device leaves and a working adapter arrives: the failed port is
    // closed there, the adapter opened, and the failure path must leave the new port alone.
    MessageBoxAnswerer answerer([&] { source->play({ device(adapter.name()) }); });
    DiagnosticsCapture diagnostics;
    source = new FakeDeviceSource({ device(missingDevice) });
    MainWindow window(nullptr, source);

    QCOMPARE(answerer.boxes, 1);
    QVERIFY(window.serialPort() && window.serialPort()->isOpen() && adapter.slaveIsOpen());
    QVERIFY(window.findChild<QAction *>("actionConnection")->isChecked());
    const QStringList &messages = diagnostics.messages;
    const qsizetype closed = messages.indexOf("Close port");
    QVERIFY(closed >= 0 && messages.indexOf("Open port  \"" + adapter.name() + '"') > closed);
    QCOMPARE(messages.last(), openFail.arg(missingDevice));
}

void SerialPortTest::hangUpClosesThePortWithoutSpinning()
{
    PseudoTerminal adapter;
    DeviceFixture f({ device(adapter.name()) });
    QVERIFY(f.window->serialPort() && f.window->serialPort()->isOpen());

    DiagnosticsCapture diagnostics;
    adapter.hangUp();
    QTRY_VERIFY_WITH_TIMEOUT(!f.window->serialPort(), 1000);
    QVERIFY(!f.indicator() && diagnostics.messages.contains("Close port"));
    // Gone from the list too, so that the program's own second look finds nothing to open.
    f.source->play({});
    const std::clock_t before = std::clock();
    QTest::qWait(1000);
    const double spentMs = double(std::clock() - before) * 1000 / CLOCKS_PER_SEC;
    QVERIFY2(spentMs < 100,
             qPrintable(QStringLiteral("%1 ms of CPU in one idle second").arg(spentMs)));
}

void SerialPortTest::lineBackBeforeTheHangUpWasNoticedIsOpenedAgain()
{
    // The name already leads to the new line when the old one hangs up, and the system sends no
    // news of it: nothing but the program's own second look can find the line again.
    QTemporaryDir directory;
    const QString link = directory.filePath("adapter");
    PseudoTerminal first;
    QVERIFY(QFile::link(first.path, link));
    DeviceFixture f({ device(link) });
    QVERIFY(f.window->serialPort() && f.window->serialPort()->isOpen());

    PseudoTerminal second;
    QVERIFY(QFile::remove(link) && QFile::link(second.path, link));
    first.hangUp();
    QTRY_VERIFY_WITH_TIMEOUT(second.slaveIsOpen(), 3000);
    QVERIFY(f.window->serialPort() && f.window->serialPort()->isOpen() && f.indicator());
}

QTEST_MAIN(SerialPortTest)
#include "tst_serialport.moc"
