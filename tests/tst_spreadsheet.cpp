#include "records/control.h"
#include "records/spreadsheet.h"

#include <QBuffer>
#include <QtTest>

// A sheet has bounds that a control can pass: each is refused with its reason, and a device that
// takes nothing says so, so that no sheet is saved short of a reading.
class SpreadsheetTest : public QObject
{
    Q_OBJECT

    // Empty when written, else the reason.
    static QString reasonOf(const Control &control, QIODevice &device)
    {
        QString reason;
        return writeSpreadsheet(device, control, &reason) ? QString()
            : reason.isEmpty()                            ? QStringLiteral("no reason")
                                                          : reason;
    }

private slots:
    void shouldSayWhyASheetCannotBeWritten()
    {
        Control control;
        for (int group = 0; group < 16383; ++group) // and the column of reading numbers
            control.measurements.insert(QString::number(group), {});
        QBuffer buffer;
        QVERIFY(buffer.open(QIODevice::WriteOnly));
        QStringList reasons { reasonOf(control, buffer) };
        control.measurements.insert("G", {});
        reasons << reasonOf(control, buffer);
        // Below the group names, at the sheet's last row.
        reasons << reasonOf({ {}, {}, {}, {}, {}, { { "G", QStringList(1048570, "1") } } }, buffer);
        reasons << reasonOf({ {}, {}, {}, {}, {}, { { "G", { QString(32768, 'x') } } } }, buffer);
        QFile full("/dev/full");
        QVERIFY(full.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        reasons << reasonOf({}, full);
        QCOMPARE(
            reasons,
            QStringList(
                { "", "A sheet holds at most 16383 groups; there are 16384.",
                  "A sheet holds at most 1048569 readings in a group; there are "
                  "1048570.",
                  "A cell of a sheet holds at most 32767 characters; a reading or a field here "
                  "is longer.",
                  qt_error_string(ENOSPC) }));
    }
};

QTEST_GUILESS_MAIN(SpreadsheetTest)
#include "tst_spreadsheet.moc"
