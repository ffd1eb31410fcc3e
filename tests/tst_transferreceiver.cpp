#include "coretesting.h"
#include "device/transferreceiver.h"

#include <QTextCodec>
#include <QtTest>

namespace {

// What the receiver tells of a transfer's lines, each sent in the instrument's code page: each
// transfer that ends or is cut off, as "ended|cut: instrument: group|readings... (count)", then
// the stray readings. A line "~" stands for the line going.
QStringList told(const QStringList &lines)
{
    QStringList said;
    const auto report = [&said](const char *how) {
        return [&said, how](const ReceivedTransfer &transfer) {
            QString text = how + (": " + transfer.instrument() + ':');
            for (auto group = transfer.measurements.begin(); group != transfer.measurements.end();
                 ++group) {
                text += ' ' + group.key();
                for (const auto &reading : *group)
                    text.append(u'|').append(reading);
            }
            said << text + QStringLiteral(" (%1)").arg(transfer.readingCount)
                    + (transfer.dateTime.isValid() ? "" : " without its time");
        };
    };
    TransferReceiver receiver({ [] {}, report("ended"), report("cut") });
    QTextCodec *const cp866 = QTextCodec::codecForName("CP866");
    for (const QString &line : lines)
        line == u"~" ? receiver.cutOff()
                     : void(receiver.receive(cp866->fromUnicode(line + "\r\n")));
    return said << QStringLiteral("stray %1").arg(receiver.pending().strayReadings());
}

} // namespace

// From the instrument's lines to whole transfers: a serial-number line opens a transfer, its end
// line completes it, and what comes while none is open is only counted.
class TransferReceiverTest : public QObject
{
    Q_OBJECT

private slots:
    // Each transfer of tests/data/transfer is told as its .ref file says.
    void shouldTellEachTransferWithItsOwnReadings_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString &file : QDir(testData("transfer")).entryList({ "*.txt" }))
            QTest::newRow(qPrintable(file)) << testData("transfer/" + file.chopped(4));
    }
    void shouldTellEachTransferWithItsOwnReadings()
    {
        QFETCH(QString, name);
        QCOMPARE(told(textLines(name + ".txt")), textLines(name + ".ref"));
    }
};

QTEST_GUILESS_MAIN(TransferReceiverTest)
#include "tst_transferreceiver.moc"
