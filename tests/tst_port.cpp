#include "device/serialdeviceenumerator.h"
#include "testing.h"

#include <QSerialPort>
#include <QSignalSpy>
#include <QtTest>

#include <ctime>

// Finding the instrument's adapter among the listed devices, and the port through its states as
// the list changes and the line fails. Adapters are real pseudo-terminals, so that opening them
// really succeeds and they keep the line settings the program gives them.
class PortTest : public QObject
{
    Q_OBJECT

private slots:
    void opensTheFirstAdapterAndKeepsItOnlyWhileListed()
    {
        PseudoTerminal first, second;
        const SerialDeviceInfo secondDevice = device(second.name(), "2303");
        DiagnosticsCapture diagnostics;
        TestWindow w({ device("ttyS0", {}), device(first.name()), secondDevice });
        QPointer<QSerialPort> port = w.port();
        QVERIFY(port && w.indicator() && first.slaveIsOpen() && !second.slaveIsOpen());
        QCOMPARE(diagnostics.messages.last(), "Open port  \"" + first.name() + '"');
        // 19200 baud, 8 data bits, no parity, 1 stop bit, no flow control.
        const termios line = first.settings();
        QVERIFY(cfgetispeed(&line) == B19200 && cfgetospeed(&line) == B19200);
        QCOMPARE(line.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), tcflag_t(CS8));
        QCOMPARE(line.c_iflag & (IXON | IXOFF), tcflag_t(0));

        // Listed among others and in another order: the port is kept, and nothing is written.
        diagnostics.messages.clear();
        w.source->play({ secondDevice, device("ttyS0", {}), device(first.name()) });
        QVERIFY(w.port() == port && first.slaveIsOpen() && !second.slaveIsOpen());
        QCOMPARE(diagnostics.messages, QStringList());

        // Listed only in other letter case, which is another device: closed, and the second opens.
        w.source->play({ device(first.name().toUpper(), "0000"), secondDevice });
        QVERIFY(!port && !first.slaveIsOpen() && second.slaveIsOpen() && w.indicator());

        // Gone while a last line waits for its line feed: closed, and the line counts.
        w.window->findChild<QTimer *>(QStringLiteral("quietTimer"))->setInterval(3600 * 1000);
        QVERIFY(second.write("SN 1\r\nGROUP#1 0.5\r\nEND"));
        QTRY_VERIFY(!w.window->measurementStore().isEmpty());
        port = w.port();
        w.source->play({});
        QVERIFY(!port && !w.port() && !w.indicator() && !second.slaveIsOpen());
        QCOMPARE(tableText(w.widget<QTableWidget>("tableMeasurement")),
                 QStringList({ "GROUP#1", "0.5" }));
    }

    void matchesAProductIdentifierContainingAKnownValue_data()
    {
        QTest::addColumn<QString>("productId");
        QTest::addColumn<bool>("matches");
        QTest::newRow("6001 inside a longer text") << "PID_60015" << true;
        QTest::newRow("other adapter") << "6010" << false;
        QTest::newRow("part of 2303") << "230" << false;
    }

    void matchesAProductIdentifierContainingAKnownValue()
    {
        QFETCH(QString, productId);
        QFETCH(bool, matches);
        PseudoTerminal adapter;
        TestWindow w({ device(adapter.name(), productId) });
        QCOMPARE(adapter.slaveIsOpen(), matches);
    }

    // The identifiers that the match looks for, as the system's device lists give them.
    void identifiersTakeTheSystemsForm()
    {
        QCOMPARE(SystemDeviceSource::usbIdentifier(0x6001), QStringLiteral("6001"));
        QCOMPARE(SystemDeviceSource::usbIdentifier(0x067b), QStringLiteral("067b"));
    }

    void namedDeviceIsListedWhileItsFileExists()
    {
        PseudoTerminal adapter;
        SystemDeviceSource source(adapter.path);
        QSignalSpy changes(&source, &SerialDeviceSource::changed);
        source.start();
        const auto listed = [&] {
            for (const SerialDeviceInfo &info : source.scan()) {
                if (info.name == adapter.name())
                    return info.productId;
            }
            return QStringLiteral("not listed");
        };
        QCOMPARE(listed(), "6001");
        // A pseudo-terminal goes without a udev event; its directory tells, sooner than a re-scan.
        adapter.hangUp();
        QTRY_VERIFY_WITH_TIMEOUT(changes.size() > 0, 1000);
        QCOMPARE(listed(), "not listed");
    }

    // Inside the failure box the failed device leaves and a working adapter arrives: it is opened
    // there, and the failure path must leave the new port alone.
    void failedOpenShowsTheReasonAndIsTriedAgainWhenItsDeviceComesBack()
    {
        const QString missing = QStringLiteral("/nonexistent/tolvaren-adapter");
        PseudoTerminal adapter;
        std::unique_ptr<TestWindow> w;
        FakeDeviceSource *source = nullptr;
        QStringList said;
        DiagnosticsCapture diagnostics;
        const auto arrive = [&] {
            auto *box = QApplication::activeModalWidget();
            auto *window = qobject_cast<MainWindow *>(box->parentWidget());
            static_cast<FakeDeviceSource *>(window->deviceEnumerator()->source())
                ->play({ device(adapter.name()) });
        };
        QCOMPARE(operate(
                     [&] {
                         w = std::make_unique<TestWindow>(
                             QList<SerialDeviceInfo> { device(missing) });
                         source = w->source;
                     },
                     { press(QMessageBox::Ok, &said, arrive) }),
                 QString());
        QCOMPARE(said,
                 QStringList({ QString::number(QMessageBox::Critical), "Failed to open port",
                               "The serial port used by another application",
                               "No such file or directory" }));
        QVERIFY(w->port() && w->port()->isOpen() && adapter.slaveIsOpen() && w->indicator());
        QCOMPARE(diagnostics.messages.last(),
                 "Serial device by default:  \"" + missing + "\"  open fail.");

        said.clear();
        QCOMPARE(
            operate([&] { source->play({ device(missing) }); }, { press(QMessageBox::Ok, &said) }),
            QString());
        QCOMPARE(said.value(1), "Failed to open port");
    }

    void hangUpClosesThePortWithoutSpinning()
    {
        PseudoTerminal adapter;
        TestWindow w({ device(adapter.name()) });
        QVERIFY(w.port() && w.port()->isOpen());
        adapter.hangUp();
        QTRY_VERIFY_WITH_TIMEOUT(!w.port(), 1000);
        QVERIFY(!w.indicator());
        // Gone from the list too, so that the program's own second look finds nothing to open.
        w.source->play({});
        const std::clock_t before = std::clock();
        QTest::qWait(1000);
        const double spentMs = double(std::clock() - before) * 1000 / CLOCKS_PER_SEC;
        QVERIFY2(spentMs < 100,
                 qPrintable(QStringLiteral("%1 ms of CPU in one idle second").arg(spentMs)));
    }

    void lineBackBeforeTheHangUpWasNoticedIsOpenedAgain()
    {
        // The name already leads to the new line when the old one hangs up, and the system sends
        // no news of it: nothing but the program's own second look can find the line again.
        QTemporaryDir directory;
        const QString link = directory.filePath("adapter");
        PseudoTerminal first;
        QVERIFY(QFile::link(first.path, link));
        TestWindow w({ device(link) });
        QVERIFY(w.port() && w.port()->isOpen());

        PseudoTerminal second;
        QVERIFY(QFile::remove(link) && QFile::link(second.path, link));
        first.hangUp();
        QTRY_VERIFY_WITH_TIMEOUT(second.slaveIsOpen(), 3000);
        QVERIFY(w.port() && w.port()->isOpen() && w.indicator());
    }
};

QTEST_MAIN(PortTest)
#include "tst_port.moc"
