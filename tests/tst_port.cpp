#include "device/serialdeviceenumerator.h"
#include "testing.h"

#include <QDateTimeEdit>
#include <QLabel>
#include <QScopeGuard>
#include <QSerialPort>
#include <QSignalSpy>
#include <QStatusBar>
#include <QtTest>

// Finding the instrument's adapter among the listed devices, the port through its states as the
// list changes and the line fails, and what the window makes of what the instrument sends (how
// bytes become lines and transfers: tst_lineframer, tst_transferreceiver). Adapters are real
// pseudo-terminals, so that opening them really succeeds and they keep the line settings the
// program gives them.
class PortTest : public QObject
{
    Q_OBJECT

private slots:
    void opensTheFirstAdapterAndKeepsItOnlyWhileListed()
    {
        // Product identifiers that merely resemble the adapter's are not taken; one that contains
        // its identifier is.
        PseudoTerminal other, similar, first, second;
        const SerialDeviceInfo secondDevice = device(second.name(), "2303");
        TestWindow w({ device("ttyS0", {}), device(other.name(), "6010"),
                       device(similar.name(), "230"), device(first.name(), "PID_60015"),
                       secondDevice });
        QPointer<QSerialPort> port = w.port();
        QVERIFY(port && w.indicator() && first.slaveIsOpen() && !second.slaveIsOpen());
        QVERIFY(!other.slaveIsOpen() && !similar.slaveIsOpen());
        QCOMPARE(w.widget<QLabel>("connectionState")->text(), "Connected: " + first.name());
        // 19200 baud, 1 stop bit, no flow control, as the pseudo-terminal keeps them. Its driver
        // forces 8 data bits and no parity on any setting, and the port reports what the line
        // holds, so those two cannot be told here.
        termios line {};
        QCOMPARE(tcgetattr(first.master, &line), 0);
        QVERIFY(cfgetispeed(&line) == B19200 && cfgetospeed(&line) == B19200);
        QCOMPARE(line.c_cflag & (CSTOPB | CRTSCTS), tcflag_t(0));
        QCOMPARE(line.c_iflag & (IXON | IXOFF), tcflag_t(0));

        // Listed among others and in another order: the port is kept, not opened anew.
        w.source->play({ secondDevice, device("ttyS0", {}), device(first.name()) });
        QVERIFY(w.port() == port && first.slaveIsOpen() && !second.slaveIsOpen());

        // Listed only in other letter case, which is another device: closed, and the second opens.
        w.source->play({ device(first.name().toUpper(), "0000"), secondDevice });
        QVERIFY(!port && !first.slaveIsOpen() && second.slaveIsOpen() && w.indicator());

        // Gone: closed (a last line still waiting for its line feed counts then).
        port = w.port();
        w.source->play({});
        QVERIFY(!port && !w.port() && !w.indicator() && !second.slaveIsOpen());
        QCOMPARE(w.widget<QLabel>("connectionState")->text(), "No instrument connected");

        // The identifiers that the match looks for, as the system's device lists give them.
        QCOMPARE(SystemDeviceSource::usbIdentifier(0x6001), QStringLiteral("6001"));
        QCOMPARE(SystemDeviceSource::usbIdentifier(0x067b), QStringLiteral("067b"));
    }

    // What is shown changes only to a whole transfer, with its time, not to one cut off by a
    // hang-up. A pause inside a line does not split it. (Where transfers are kept: below.)
    // The hung-up line's name already leads to a new line, and the system sends no news of it:
    // nothing but the program's own second look can find the line again.
    void showsOnlyWholeTransfers()
    {
        QTemporaryDir directory;
        const QString link = directory.filePath("adapter");
        PseudoTerminal adapter, next;
        QVERIFY(QFile::link(adapter.path, link));
        TestWindow w({ device(link) });
        auto *status = w.widget<QStatusBar>("statusBar");
        const auto shown = [&w] {
            return QStringList { w.widget<QLabel>("lblDevice")->text(),
                                 w.widget<QLabel>("lblZav")->text() }
            + w.table();
        };
        auto *date = w.widget<QDateTimeEdit>("dtmDate");
        date->setDateTime(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)));
        // The end line comes without its line feed, and counts after the quiet interval.
        for (const char *part : { "DEVICE X-100\r\nSN 517\r\nGROUP#1 0.", "52\r\nEN", "D" }) {
            QVERIFY(adapter.write(part));
            QTest::qWait(150);
        }
        const QStringList whole { "DEVICE X-100", "SN 517", "GROUP#1", "0.52" };
        QTRY_COMPARE(shown(), whole);
        QVERIFY(date->dateTime().secsTo(QDateTime::currentDateTime()) < 60);
        QVERIFY(adapter.write("\r\nSN 6\r\nGROUP#3 2\r\nGROUP#1 1\r\nGROUP#3 0."));
        QTRY_COMPARE(status->currentMessage(),
                     "Receiving the transfer from DEVICE X-100 SN 6. Readings so far: 2.");
        QVERIFY(QFile::remove(link) && QFile::link(next.path, link));
        adapter.hangUp();
        QTRY_VERIFY(next.slaveIsOpen());
        QVERIFY(w.port() && w.port()->isOpen() && w.indicator());
        QCOMPARE(shown(), whole);
        QCOMPARE(status->currentMessage(),
                 "The transfer from DEVICE X-100 SN 6 was cut off; readings received: 3. The "
                 "readings shown are unchanged.");
    }

    // A named device (a pseudo-terminal, say) goes without a udev event: its folder tells, and
    // nothing looks again while all is quiet. Here it is a file in a folder of the test's own, as
    // the numbers of pseudo-terminals come and go with every other program that uses one.
    void namedDeviceIsListedWhileItsFileExists()
    {
        QTemporaryDir folder;
        const QString named = folder.filePath("adapter");
        QVERIFY(writeFile(named, {}));
        SystemDeviceSource source(named);
        QSignalSpy changes(&source, &SerialDeviceSource::changed);
        source.start();
        const auto listed = [&] {
            for (const SerialDeviceInfo &info : source.scan()) {
                if (info.name == SystemDeviceSource::listedName(named))
                    return info.productId;
            }
            return QStringLiteral("not listed");
        };
        QCOMPARE(listed(), "6001");
        QVERIFY(!source.findChild<QTimer *>());
        QVERIFY(QFile::remove(named));
        QTRY_VERIFY(changes.size() > 0);
        QCOMPARE(listed(), "not listed");
        // Without udev a new node in /dev is told at once. The node's name is this run's own:
        // other runs of the tests may share /dev.
        QFile node("/dev/tolvaren-test-node-"
                   + QString::number(QCoreApplication::applicationPid()));
        const auto removeNode = qScopeGuard([&node] { node.remove(); });
        if (!source.watchesSystemEvents() && node.open(QIODevice::WriteOnly)) {
            changes.clear();
            QTRY_VERIFY(changes.size() > 0);
        }
    }

    // The box tells a device that is missing or no serial port at all. Inside it the failed device
    // leaves and a working adapter arrives: it is opened there, and the failure path must leave
    // the new port alone.
    void failedOpenShowsTheSystemsReason_data()
    {
        QTest::addColumn<QString>("failed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "/nonexistent/tolvaren-adapter"
                                 << "The serial port used by another application"
                                 << qt_error_string(ENOENT);
        QTest::newRow("null device")
            << "/dev/null"
            << "/dev/null is not a serial port." << qt_error_string(ENOTTY);
    }
    void failedOpenShowsTheSystemsReason()
    {
        QFETCH(QString, failed);
        QFETCH(QString, text);
        QFETCH(QString, reason);
        PseudoTerminal adapter;
        std::unique_ptr<TestWindow> w;
        QStringList said;
        DiagnosticsCapture diagnostics;
        const auto arrive = [&] {
            auto *box = QApplication::activeModalWidget();
            auto *window = qobject_cast<MainWindow *>(box->parentWidget());
            static_cast<FakeDeviceSource *>(window->deviceEnumerator()->source())
                ->play({ device(adapter.name()) });
        };
        const auto build = [&] {
            w = std::make_unique<TestWindow>(QList { device(failed) });
            (void)QTest::qWaitFor([&w] { return w->port() && w->port()->isOpen(); });
        };
        QCOMPARE(operate(build, { press(QMessageBox::Ok, &said, arrive) }), QString());
        QCOMPARE(said,
                 QStringList({ QString::number(QMessageBox::Critical), "Failed to open port", text,
                               reason }));
        QVERIFY(w->port() && w->port()->isOpen() && adapter.slaveIsOpen() && w->indicator());
        QVERIFY(diagnostics.messages.contains(
            "Serial device by default:  \"" + QString(failed).remove("/dev/") + "\"  open fail."));
    }

    // A port that another program holds is busy, whatever the toolkit calls it; the box goes by
    // itself when the port's device goes.
    void busyPortSaysSoAndItsBoxGoesWithItsDevice()
    {
        PseudoTerminal adapter;
        TestWindow first({ device(adapter.name()) }), second({ device(adapter.name()) });
        QPointer<QMessageBox> box = second.widget<QMessageBox>("openFailureBox");
        QVERIFY(first.port() && first.port()->isOpen() && box && box->isVisible());
        QVERIFY2(box->informativeText().startsWith("The port is busy"),
                 qPrintable(box->informativeText()));
        second.source->play({});
        QTRY_VERIFY(!box);
    }

    // A transfer cut off by the next one's serial-number line is kept with its own readings only,
    // and so is the next one, still arriving at Exit (which closes the window as the window
    // manager does).
    void cutOffTransfersAreKeptWithTheirOwnReadings()
    {
        QTemporaryDir folder;
        TestWindow w;
        w.window->setTransferArchiveFolder(folder.path());
        w.window->receiveDelivery(
            "DEVICE X\r\nSN 7\r\nGROUP#1 a\r\nGROUP#2 b\r\nGROUP#2 c\r\nSN 8\r\nGROUP#2 d");
        // In the program's own event loop, which Exit ends; a guard ends it otherwise.
        const QObject guard;
        QTimer::singleShot(20000, &guard, [] { QCoreApplication::exit(1); });
        QTimer::singleShot(0, w.window.get(), [&w] { w.trigger("actionExit"); });
        QCOMPARE(QApplication::exec(), 0);
        QStringList files;
        for (const QFileInfo &file : QDir(folder.path()).entryInfoList(QDir::Files | QDir::Hidden))
            files << file.fileName().section(u'_', 2) + ' '
                    + QString::fromUtf8(readFile(file.filePath()))
                          .section("\r\n", 5)
                          .trimmed()
                          .replace("\r\n", " ");
        QCOMPARE(files,
                 QStringList(
                     { "SN-7_cut-off.csv GROUP#1;a GROUP#2;b;c", "SN-8_cut-off.csv GROUP#2;d" }));
    }
};

QTEST_MAIN(PortTest)
#include "tst_port.moc"
