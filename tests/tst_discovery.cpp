#include "devicelinktesting.h"

#include "device/serialdeviceenumerator.h"

#include <QSerialPort>
#include <QSignalSpy>
#include <QtTest>

// Finding the instrument's adapter among the listed devices, and what happens to the port as
// the list changes. Adapters are real pseudo-terminals, so that opening them really succeeds.
class DiscoveryTest : public QObject
{
    Q_OBJECT

private slots:
    void opensFirstMatchingDeviceAndDescribesIt();
    void matchesProductIdentifierContainingKnownValue_data();
    void matchesProductIdentifierContainingKnownValue();
    void keepsOpenPortWhileItsDeviceStaysListed();
    void secondAdapterOpensOnlyAfterFirstLeaves();
    void otherLetterCaseCountsAsGone();
    void failedPortIsTriedAgainOnlyAfterItsDeviceCameBack();
    void enumeratorReportsOnlyChangesOfTheSet();
    void namedDeviceIsListedWhileItsFileExists();
};

void DiscoveryTest::opensFirstMatchingDeviceAndDescribesIt()
{
    PseudoTerminal adapter;
    QVERIFY(adapter.isValid());
    DiagnosticsCapture diagnostics;
    DeviceFixture f({ FakeDeviceSource::device(QStringLiteral("ttyS0"), QString(), QString()),
                      adapterDevice(adapter.name()) });

    QVERIFY(f.window->serialPort() && f.window->serialPort()->isOpen());
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

void DiscoveryTest::matchesProductIdentifierContainingKnownValue_data()
{
    QTest::addColumn<QString>("productId");
    QTest::addColumn<bool>("matches");
    QTest::newRow("2303") << QStringLiteral("2303") << true;
    QTest::newRow("6001 inside a longer text") << QStringLiteral("PID_60015") << true;
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
    DeviceFixture f(
        { FakeDeviceSource::device(adapter.name(), productId, QStringLiteral("ffff")) });
    QCOMPARE(f.window->serialPort() != nullptr, matches);
    QCOMPARE(adapter.slaveIsOpen(), matches);
}

void DiscoveryTest::keepsOpenPortWhileItsDeviceStaysListed()
{
    PseudoTerminal adapter;
    PseudoTerminal other;
    DeviceFixture f({ adapterDevice(adapter.name()) });
    QSerialPort *port = f.window->serialPort();
    QVERIFY(port && port->isOpen());

    DiagnosticsCapture diagnostics;
    // Another adapter in front of it, and the list in another order: the port is kept.
    f.source->play({ adapterDevice(other.name()), adapterDevice(adapter.name()),
                     FakeDeviceSource::device(QStringLiteral("ttyS0"), QString()) });
    QCOMPARE(f.window->serialPort(), port);
    QVERIFY(port->isOpen() && f.indicator());
    QVERIFY(!other.slaveIsOpen());
    QCOMPARE(diagnostics.messages, QStringList());
}

void DiscoveryTest::secondAdapterOpensOnlyAfterFirstLeaves()
{
    PseudoTerminal first;
    PseudoTerminal second;
    const SerialDeviceInfo secondDevice = adapterDevice(second.name());
    DeviceFixture f(
        { FakeDeviceSource::device(first.name(), QStringLiteral("2303")), secondDevice });
    QCOMPARE(f.window->serialPort()->portName(), first.name());
    QVERIFY(!second.slaveIsOpen());

    DiagnosticsCapture diagnostics;
    f.source->play({ secondDevice });
    QVERIFY(f.window->serialPort() && f.window->serialPort()->isOpen());
    QCOMPARE(f.window->serialPort()->portName(), second.name());
    QVERIFY(f.indicator());
    QVERIFY(!first.slaveIsOpen() && second.slaveIsOpen());
    QCOMPARE(diagnostics.messages.first(), QStringLiteral("Close port"));
    QCOMPARE(diagnostics.messages.at(1), QStringLiteral("(\"%1\")").arg(second.name()));
    QCOMPARE(diagnostics.messages.last(), QStringLiteral("Open port  \"%1\"").arg(second.name()));
}

void DiscoveryTest::otherLetterCaseCountsAsGone()
{
    PseudoTerminal adapter;
    DeviceFixture f({ adapterDevice(adapter.name()) });
    QVERIFY(f.window->serialPort());

    DiagnosticsCapture diagnostics;
    const QString upper = adapter.name().toUpper();
    f.source->play({ FakeDeviceSource::device(upper, QStringLiteral("0000")) });
    QVERIFY(!f.window->serialPort() && !f.indicator());
    QVERIFY(!adapter.slaveIsOpen());
    QCOMPARE(diagnostics.messages,
             (QStringList { QStringLiteral("Close port"), QStringLiteral("(\"%1\")").arg(upper) }));
}

void DiscoveryTest::failedPortIsTriedAgainOnlyAfterItsDeviceCameBack()
{
    MessageBoxAnswerer answerer;
    DeviceFixture f({ adapterDevice(missingDevice()) });
    QCOMPARE(answerer.boxes, 1);

    DiagnosticsCapture diagnostics;
    f.source->play({});
    QVERIFY(!f.window->serialPort());
    QCOMPARE(diagnostics.messages,
             (QStringList { QStringLiteral("Close port"), QStringLiteral("()") }));

    f.source->play({ adapterDevice(missingDevice()) });
    QCOMPARE(answerer.boxes, 2);
    QVERIFY(f.window->serialPort() && !f.window->serialPort()->isOpen());
}

void DiscoveryTest::enumeratorReportsOnlyChangesOfTheSet()
{
    auto *source =
        new FakeDeviceSource({ FakeDeviceSource::device(QStringLiteral("ttyS0"), QString()) });
    SerialDeviceEnumerator enumerator(source);
    QSignalSpy reports(&enumerator, &SerialDeviceEnumerator::hasChanged);
    auto reported = [&] { return reports.takeFirst().at(0).toStringList(); };
    const QStringList both { QStringLiteral("ttyS0"), QStringLiteral("ttyUSB0") };

    enumerator.setEnabled(true);
    QVERIFY(source->started);
    // The devices present at start are reported, so an adapter plugged in before is found.
    QCOMPARE(reports.size(), 1);
    QCOMPARE(reported(), QStringList { QStringLiteral("ttyS0") });
    source->play(source->devices);
    QCOMPARE(reports.size(), 0);
    source->play({ source->devices.first(), adapterDevice(QStringLiteral("ttyUSB0")) });
    QCOMPARE(reported(), both);

    // A device given up for gone is reported gone at once, and back with the next look.
    enumerator.reportGone(QStringLiteral("ttyUSB0"));
    QCOMPARE(reported(), QStringList { QStringLiteral("ttyS0") });
    source->play(source->devices);
    QCOMPARE(reported(), both);
    QCOMPARE(reports.size(), 0);
}

void DiscoveryTest::namedDeviceIsListedWhileItsFileExists()
{
    auto adapter = std::make_unique<PseudoTerminal>();
    const QString name = adapter->name();
    SystemDeviceSource source(adapter->path());
    QSignalSpy changes(&source, &SerialDeviceSource::changed);
    source.start();
    auto listed = [&]() -> std::optional<SerialDeviceInfo> {
        for (const SerialDeviceInfo &device : source.scan()) {
            if (device.name == name)
                return device;
        }
        return std::nullopt;
    };
    QVERIFY(listed());
    QCOMPARE(listed()->productId, QStringLiteral("6001"));

    // A pseudo-terminal goes without a udev event; its directory tells, sooner than any re-scan.
    adapter.reset();
    QTRY_VERIFY_WITH_TIMEOUT(changes.size() > 0, 1000);
    QVERIFY(!listed());
}

QTEST_MAIN(DiscoveryTest)
#include "tst_discovery.moc"
