#include "devicelinktesting.h"
#include "fakedevicesource.h"

#include "device/serialdeviceenumerator.h"
#include "mainwindow/mainwindow.h"

#include <QAction>
#include <QDir>
#include <QSerialPort>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

// Finding the instrument's adapter among the listed devices, and what happens to the port as
// the list changes. Adapters are real pseudo-terminals, so that opening them really succeeds;
// a device that fails to open is a name with no device behind it.
class DiscoveryTest : public QObject
{
    Q_OBJECT

private slots:
    void opensFirstMatchingDeviceAndDescribesIt();
    void emptyListWithoutPortOnlyWritesTheList();
    void matchesProductIdentifierContainingKnownValue_data();
    void matchesProductIdentifierContainingKnownValue();
    void keepsOpenPortWhileItsDeviceStaysListed();
    void secondAdapterOpensOnlyAfterFirstLeaves();
    void otherLetterCaseCountsAsGone();
    void failedPortIsNotRetriedWhileListed();
    void failedPortIsClosedAndRetriedWhenItsDeviceComesBack();
    void enumeratorReportsOnlyChangesOfTheSet();
    void namedDeviceIsListedWhileItsFileExists();

private:
    struct Fixture
    {
        FakeDeviceSource *source = nullptr;
        std::unique_ptr<MainWindow> window;
        bool indicator() const
        {
            return window->findChild<QAction *>(QStringLiteral("actionConnection"))->isChecked();
        }
    };
    static Fixture makeWindow(const QList<SerialDeviceInfo> &initial);
    static QString missingName() { return QStringLiteral("/nonexistent/tolvaren-adapter"); }
};

DiscoveryTest::Fixture DiscoveryTest::makeWindow(const QList<SerialDeviceInfo> &initial)
{
    Fixture fixture;
    fixture.source = new FakeDeviceSource(initial);
    fixture.window = std::make_unique<MainWindow>(nullptr, fixture.source);
    return fixture;
}

void DiscoveryTest::opensFirstMatchingDeviceAndDescribesIt()
{
    PseudoTerminal adapter;
    QVERIFY(adapter.isValid());
    DiagnosticsCapture diagnostics;
    auto f = makeWindow({ FakeDeviceSource::device(QStringLiteral("ttyS0"), QString(), QString()),
                          FakeDeviceSource::device(adapter.name(), QStringLiteral("6001")) });

    QVERIFY(f.window->serialPort());
    QVERIFY(f.window->serialPort()->isOpen());
    QVERIFY(f.indicator());
    QVERIFY(adapter.slaveIsOpen());
    const QString quoted = QLatin1Char('"') + adapter.name() + QLatin1Char('"');
    const QStringList expected {
        QStringLiteral("(\"ttyS0\", %1)").arg(quoted),
        quoted,
        QStringLiteral("-> productID    :  \"6001\""),
        QStringLiteral("->     :  \"USB serial converter\""),
        QStringLiteral("->     :  (\"USB\\\\VID_0403&PID_6001\", \"A50285BI\", \"/dev/%1\")")
            .arg(adapter.name()),
        QStringLiteral("->     :  ") + quoted,
        QStringLiteral("->     :  \"enumerator\""),
        QStringLiteral("->     :  \"\""),
        QStringLiteral("->     :  \"0403\""),
        QStringLiteral("Open port  ") + quoted,
    };
    QCOMPARE(diagnostics.messages, expected);
}

void DiscoveryTest::emptyListWithoutPortOnlyWritesTheList()
{
    DiagnosticsCapture diagnostics;
    auto f = makeWindow({});
    QCOMPARE(diagnostics.messages, QStringList { QStringLiteral("()") });
    QVERIFY(!f.window->serialPort());
    QVERIFY(!f.indicator());
}

void DiscoveryTest::matchesProductIdentifierContainingKnownValue_data()
{
    QTest::addColumn<QString>("productId");
    QTest::addColumn<bool>("matches");
    QTest::newRow("6001") << QStringLiteral("6001") << true;
    QTest::newRow("2303") << QStringLiteral("2303") << true;
    QTest::newRow("6001 inside a longer text") << QStringLiteral("PID_60015") << true;
    QTest::newRow("2303 at the end") << QStringLiteral("ab2303") << true;
    QTest::newRow("other adapter") << QStringLiteral("6010") << false;
    QTest::newRow("part of 2303") << QStringLiteral("230") << false;
    QTest::newRow("unknown") << QString() << false;
}

void DiscoveryTest::matchesProductIdentifierContainingKnownValue()
{
    QFETCH(QString, productId);
    QFETCH(bool, matches);
    PseudoTerminal adapter;
    // The vendor is not looked at.
    auto f =
        makeWindow({ FakeDeviceSource::device(adapter.name(), productId, QStringLiteral("ffff")) });
    QCOMPARE(f.window->serialPort() != nullptr, matches);
    QCOMPARE(adapter.slaveIsOpen(), matches);
}

void DiscoveryTest::keepsOpenPortWhileItsDeviceStaysListed()
{
    PseudoTerminal adapter;
    PseudoTerminal other;
    const SerialDeviceInfo device =
        FakeDeviceSource::device(adapter.name(), QStringLiteral("6001"));
    auto f = makeWindow({ device });
    QSerialPort *port = f.window->serialPort();
    QVERIFY(port && port->isOpen());

    DiagnosticsCapture diagnostics;
    // Another adapter in front of it, and the list in another order: the port is kept.
    f.source->play({ FakeDeviceSource::device(other.name(), QStringLiteral("2303")), device,
                     FakeDeviceSource::device(QStringLiteral("ttyS0"), QString()) });
    QCOMPARE(f.window->serialPort(), port);
    QVERIFY(port->isOpen());
    QVERIFY(f.indicator());
    QVERIFY(!other.slaveIsOpen());
    QCOMPARE(diagnostics.messages, QStringList());
}

void DiscoveryTest::secondAdapterOpensOnlyAfterFirstLeaves()
{
    PseudoTerminal first;
    PseudoTerminal second;
    const SerialDeviceInfo firstDevice =
        FakeDeviceSource::device(first.name(), QStringLiteral("2303"));
    const SerialDeviceInfo secondDevice =
        FakeDeviceSource::device(second.name(), QStringLiteral("6001"));
    auto f = makeWindow({ firstDevice, secondDevice });
    QCOMPARE(f.window->serialPort()->portName(), first.name());
    QVERIFY(!second.slaveIsOpen());

    DiagnosticsCapture diagnostics;
    f.source->play({ secondDevice });
    QVERIFY(f.window->serialPort());
    QCOMPARE(f.window->serialPort()->portName(), second.name());
    QVERIFY(f.window->serialPort()->isOpen());
    QVERIFY(f.indicator());
    QVERIFY(!first.slaveIsOpen());
    QVERIFY(second.slaveIsOpen());
    QCOMPARE(diagnostics.messages.first(), QStringLiteral("Close port"));
    QCOMPARE(diagnostics.messages.at(1), QStringLiteral("(\"%1\")").arg(second.name()));
    QCOMPARE(diagnostics.messages.last(), QStringLiteral("Open port  \"%1\"").arg(second.name()));
}

void DiscoveryTest::otherLetterCaseCountsAsGone()
{
    PseudoTerminal adapter;
    auto f = makeWindow({ FakeDeviceSource::device(adapter.name(), QStringLiteral("6001")) });
    QVERIFY(f.window->serialPort());

    DiagnosticsCapture diagnostics;
    const QString upper = adapter.name().toUpper();
    f.source->play({ FakeDeviceSource::device(upper, QStringLiteral("0000")) });
    QVERIFY(!f.window->serialPort());
    QVERIFY(!f.indicator());
    QVERIFY(!adapter.slaveIsOpen());
    QCOMPARE(diagnostics.messages,
             (QStringList { QStringLiteral("Close port"), QStringLiteral("(\"%1\")").arg(upper) }));
}

void DiscoveryTest::failedPortIsNotRetriedWhileListed()
{
    PseudoTerminal adapter;
    const SerialDeviceInfo missing =
        FakeDeviceSource::device(missingName(), QStringLiteral("6001"));
    MessageBoxAnswerer answerer;
    auto f = makeWindow({ missing });
    QCOMPARE(answerer.boxes, 1);
    QSerialPort *failed = f.window->serialPort();
    QVERIFY(failed && !failed->isOpen());

    DiagnosticsCapture diagnostics;
    f.source->play({ FakeDeviceSource::device(adapter.name(), QStringLiteral("6001")), missing });
    QCOMPARE(answerer.boxes, 1);
    QCOMPARE(f.window->serialPort(), failed);
    QVERIFY(!adapter.slaveIsOpen());
    QCOMPARE(diagnostics.messages, QStringList());
}

void DiscoveryTest::failedPortIsClosedAndRetriedWhenItsDeviceComesBack()
{
    const SerialDeviceInfo missing =
        FakeDeviceSource::device(missingName(), QStringLiteral("6001"));
    MessageBoxAnswerer answerer;
    auto f = makeWindow({ missing });
    QCOMPARE(answerer.boxes, 1);

    DiagnosticsCapture diagnostics;
    f.source->play({});
    QVERIFY(!f.window->serialPort());
    QCOMPARE(diagnostics.messages,
             (QStringList { QStringLiteral("Close port"), QStringLiteral("()") }));

    f.source->play({ missing });
    QCOMPARE(answerer.boxes, 2);
    QVERIFY(f.window->serialPort() && !f.window->serialPort()->isOpen());
}

void DiscoveryTest::enumeratorReportsOnlyChangesOfTheSet()
{
    FakeDeviceSource *source =
        new FakeDeviceSource({ FakeDeviceSource::device(QStringLiteral("ttyS0"), QString()) });
    SerialDeviceEnumerator enumerator(source);
    QSignalSpy reports(&enumerator, &SerialDeviceEnumerator::hasChanged);
    enumerator.setEnabled(true);
    QVERIFY(source->started);
    // The devices present at start are reported, so an adapter plugged in before is found.
    QCOMPARE(reports.size(), 1);
    QCOMPARE(reports.takeFirst().at(0).toStringList(), QStringList { QStringLiteral("ttyS0") });

    source->play(source->devices);
    QCOMPARE(reports.size(), 0);
    const SerialDeviceInfo adapter = FakeDeviceSource::device(QStringLiteral("ttyUSB0"), "6001");
    source->play({ source->devices.first(), adapter });
    QCOMPARE(reports.size(), 1);
    QCOMPARE(reports.takeFirst().at(0).toStringList(),
             (QStringList { QStringLiteral("ttyS0"), QStringLiteral("ttyUSB0") }));

    // A device given up for gone is reported gone at once, and back with the next look.
    enumerator.reportGone(QStringLiteral("ttyUSB0"));
    QCOMPARE(reports.size(), 1);
    QCOMPARE(reports.takeFirst().at(0).toStringList(), QStringList { QStringLiteral("ttyS0") });
    source->play(source->devices);
    QCOMPARE(reports.size(), 1);
    QCOMPARE(reports.takeFirst().at(0).toStringList(),
             (QStringList { QStringLiteral("ttyS0"), QStringLiteral("ttyUSB0") }));

    enumerator.setDeviceName(QStringLiteral("ttyUSB0"));
    QCOMPARE(enumerator.productID(), QStringLiteral("6001"));
    enumerator.setDeviceName(QStringLiteral("ttyS0"));
    QCOMPARE(enumerator.productID(), QString());
}

void DiscoveryTest::namedDeviceIsListedWhileItsFileExists()
{
    auto adapter = std::make_unique<PseudoTerminal>();
    const QString name = adapter->name();
    SystemDeviceSource source(adapter->path());
    QSignalSpy changes(&source, &SerialDeviceSource::changed);
    source.start();

    auto find = [&]() -> std::optional<SerialDeviceInfo> {
        for (const SerialDeviceInfo &device : source.scan()) {
            if (device.name == name)
                return device;
        }
        return std::nullopt;
    };
    const auto listed = find();
    QVERIFY(listed);
    QCOMPARE(listed->productId, QStringLiteral("6001"));

    // A pseudo-terminal goes without a udev event; its directory tells, sooner than any re-scan.
    adapter.reset();
    QTRY_VERIFY_WITH_TIMEOUT(changes.size() > 0, 1000);
    QVERIFY(!find());
}

QTEST_MAIN(DiscoveryTest)
#include "tst_discovery.moc"
