#include "coretesting.h"
#include "device/pendingtransfer.h"
#include "device/transferline.h"

#include <QtTest>

namespace {

// What comes of the transfer's lines, one at a time, the way the window hands them on: each
// transfer that ends or is cut off, as "ended|cut at minute: instrument: group=values...
// (readings)", then the stray readings. A line "~" stands for the line going.
QStringList outcome(const QStringList &lines)
{
    const TransferMarkers markers = TransferMarkers::current();
    PendingTransfer pending;
    QStringList said;
    int minute = 0;
    const auto report = [&](const char *how, const std::optional<ReceivedTransfer> &transfer) {
        if (!transfer)
            return;
        QString text = QStringLiteral("%1 at %2: %3:")
                           .arg(how)
                           .arg(transfer->dateTime.time().minute())
                           .arg(transfer->instrument());
        for (auto group = transfer->measurements.begin(); group != transfer->measurements.end();
             ++group)
            text += ' ' + group.key() + '=' + group->join(u',');
        said << text + QStringLiteral(" (%1)").arg(transfer->readingCount);
    };
    for (const QString &line : lines) {
        const QDateTime at(QDate(2026, 12, 7), QTime(10, ++minute));
        if (line == u"~") {
            report("cut", pending.close(at));
            continue;
        }
        const TransferLine kind = interpretLine(line, markers);
        if (kind.isDevice)
            pending.takeDeviceLine(line);
        if (kind.isSerial)
            report("cut", pending.open(line, at));
        if (kind.isGroup)
            pending.addReading(kind.groupName, kind.value);
        if (kind.isEnd)
            report("ended", pending.close(at));
    }
    return said << QStringLiteral("stray %1").arg(pending.strayReadings());
}

} // namespace

// A transfer collected apart from what is shown, from the serial-number line that opens it to the
// end line that completes it.
class PendingTransferTest : public QObject
{
    Q_OBJECT

private slots:
    // Each transfer of tests/data/transfer collects what its .ref file says.
    void shouldCollectEachTransferWithItsOwnReadings_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString &file : QDir(testData("transfer")).entryList({ "*.txt" }))
            QTest::newRow(qPrintable(file)) << testData("transfer/" + file.chopped(4));
    }
    void shouldCollectEachTransferWithItsOwnReadings()
    {
        QFETCH(QString, name);
        QCOMPARE(outcome(textLines(name + ".txt")), textLines(name + ".ref"));
    }
};

QTEST_GUILESS_MAIN(PendingTransferTest)
#include "tst_pendingtransfer.moc"
