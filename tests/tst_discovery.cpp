#include "devicelinktesting.h"

#include "device/serialdeviceenumerator.h"

#include <QPointer>
#include <QSerialPort>
#include <QSignalSpy>
#include <QtTest>

// Finding the instrument's adapter among the listed devices, and what happens to the port as
// the list changes. Adapters are real pseudo-terminals, so that opening them really succeeds.
class DiscoveryTest : public QObject
{
    Q_OBJECT

private slots:
    void opensFirstAdapterAndKeepsItOnlyWhileListed();
    void matchesProductIdentifierContainingKnownValue_data();
    void matchesProductIdentifierContainingKnownValue();
    void enumeratorReportsOnlyChangesOfTheSet();
    void namedDeviceIsListedWhileItsFileExists();
};

void DiscoveryTest::matchesProductIdentifierContainingKnownValue_data()
{
    QTest::addColumn<QString>("productId");
    QTest::addColumn<bool>("matches");
    QTest::newRow("2303") << "2303" << true;
    QTest::newRow("6001 inside a longer text") << "PID_60015" << true;
    QTest::newRow("other adapter") << "6010" << false;
    QTest::newRow("part of 2303") << "230" << false;
    QTest::newRow("unknown") << QString() << false;
}

void DiscoveryTest::matchesProductIdentifierContainingKnownValue()
{
    QFETCH(QString, productId);
    QFETCH(bool, matches);
    PseudoTerminal adapter;
    // The vendor is not looked at.
    DeviceFixture f({ device(adapter.name(), productId, "ffff") });
    QCOMPARE(adapter.slaveIsOpen(), matches);
}

void DiscoveryTest::opensFirstAdapterAndKeepsItOnlyWhileListed()
{
    PseudoTerminal first, second;
    const SerialDeviceInfo secondDevice = device(second.name(), "2303");
    DiagnosticsCapture diagnostics;
    DeviceFixture f({ device("ttyS0", {}, {}), device(first.name()), secondDevice });
    QPointer<QSerialPort> port = f.window->serialPort();
    QVERIFY(port && f.indicator() && first.slaveIsOpen() && !second.slaveIsOpen());
    const QString quoted = '"' + first.name() + '"';
    QCOMPARE(diagnostics.messages,
             (QStringList { "(\"ttyS0\", " + quoted + ", \"" + second.name() + "\")", quoted,
                            "-> productID    :  \"6001\"", "->     :  \"USB serial converter\"",
                            "->     :  (\"USB\\\\VID_0403&PID_6001\", \"A50285BI\", \"/dev/"
                                + first.name() + "\")",
                            "->     :  " + quoted, "->     :  \"enumerator\"", "->     :  \"\"",
                            "->     :  \"0403\"", "Open port  " + quoted }));

    // Listed among others and in another order: the port is kept, and nothing is written.
    diagnostics.messages.clear();
    f.source->play({ secondDevice, device("ttyS0", {}), device(first.name()) });
    QVERIFY(f.window->serialPort() == port && first.slaveIsOpen() && !second.slaveIsOpen());
    QCOMPARE(diagnostics.messages, QStringList());

    // Listed only in other letter case, which is another device: closed, and the second opens.
    f.source->play({ device(first.name().toUpper(), "0000"), secondDevice });
    QVERIFY(!port && !first.slaveIsOpen() && second.slaveIsOpen() && f.indicator());
    QCOMPARE(diagnostics.messages.first(), "Close port");
    QCOMPARE(diagnostics.messages.last(), "Open port  \"" + second.name() + '"');

    // Gone with no other adapter: closed, deleted and not replaced.
    port = f.window->serialPort();
    diagnostics.messages.clear();
    f.source->play({});
    QVERIFY(!port && !f.window->serialPort() && !f.indicator() && !second.slaveIsOpen());
    QCOMPARE(diagnostics.messages, (QStringList { "Close port", "()" }));
}

void DiscoveryTest::enumeratorReportsOnlyChangesOfTheSet()
{
    auto *source = new FakeDeviceSource({ device("ttyS0", {}) });
    SerialDeviceEnumerator enumerator(source);
    QList<QStringList> reports;
    QObject::connect(&enumerator, &SerialDeviceEnumerator::hasChanged,
                     [&](const QStringList &devices) { reports.append(devices); });
    auto reported = [&] { return std::exchange(reports, {}); };
    const QStringList one { "ttyS0" }, both { "ttyS0", "ttyUSB0" };

    enumerator.setEnabled(true);
    QVERIFY(source->started);
    // The devices present at start are reported, so an adapter plugged in before is found.
    QCOMPARE(reported(), QList<QStringList> { one });
    source->play(source->devices);
    QCOMPARE(reported(), QList<QStringList>());
    source->play({ source->devices.first(), device("ttyUSB0") });
    QCOMPARE(reported(), QList<QStringList> { both });

    // A device given up for gone is reported gone at once, and back with the next look.
    enumerator.reportGone("ttyUSB0");
    source->play(source->devices);
    QCOMPARE(reported(), (QList<QStringList> { one, both }));
}

void DiscoveryTest::namedDeviceIsListedWhileItsFileExists()
{
    PseudoTerminal adapter;
    SystemDeviceSource source(adapter.path);
    QSignalSpy changes(&source, &SerialDeviceSource::changed);
    source.start();
    auto listed = [&] {
        const QList<SerialDeviceInfo> devices = source.scan();
        auto named = std::find_if(devices.begin(), devices.end(), [&](const SerialDeviceInfo &d) {
            return d.name == adapter.name();
        });
        return named == devices.end() ? QStringLiteral("not listed") : named->productId;
    };
    QCOMPARE(listed(), "6001");

    // A pseudo-terminal goes without a udev event; its directory tells, sooner than any re-scan.
    adapter.hangUp();
    QTRY_VERIFY_WITH_TIMEOUT(changes.size() > 0, 1000);
    QCOMPARE(listed(), "not listed");
}

QTEST_MAIN(DiscoveryTest)
#include "tst_discovery.moc"
