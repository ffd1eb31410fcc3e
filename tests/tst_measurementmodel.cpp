#include "records/measurementmodel.h"
#include "testing.h"

#include <QAbstractItemModelTester>
#include <QItemSelection>
#include <QtTest>

// The table's view of the readings, checked against the item model's contract at every change,
// and the figures of a selection in it.
class MeasurementModelTest : public QObject
{
    Q_OBJECT

    MeasurementModel model;
    QAbstractItemModelTester tester { &model,
                                      QAbstractItemModelTester::FailureReportingMode::QtTest };

private slots:
    // Numbers in names as numbers, of any length; everything else code unit by code unit.
    void shouldShowGroupsAsColumnsInTheirOrder()
    {
        model.show({ { "GROUP#10", { "c" } }, { "GROUP#2", { "a", "b" } }, { "GROUP#1", {} } });
        QCOMPARE(tableText(&model), QStringList({ "GROUP#1|GROUP#2|GROUP#10", "-|a|c", "-|b|-" }));
        const QStringList ordered =
            QStringLiteral("A A9b A10a GROUP# GROUP#01 GROUP#1 GROUP#2 GROUP#10 GROUP#11 "
                           "GROUP#99999999999999999999 GROUP#100000000000000000000 group#1")
                .split(u' ');
        Measurements measurements;
        for (const QString &name : ordered)
            measurements.insert(name, { "1" });
        model.show(measurements);
        QCOMPARE(tableText(&model).first(), ordered.join(u'|'));
        model.show({ { "K", { "1" } } });
        QCOMPARE(tableText(&model), QStringList({ "K", "1" }));
    }

    // A cell shows the beginning of a reading too long to lay out at every repaint, never half a
    // character; its tooltip gives as much as a screen holds, in lines.
    void shouldShortenALongReading()
    {
        const QString longReading = 'x' + QStringLiteral("😀").repeated(2500);
        model.show({ { QString(3000, u'G'), { longReading, "short" } } });
        QCOMPARE(model.index(0, 0).data().toString(), longReading.left(1999) + u'…');
        const QString tooltip = model.index(0, 0).data(Qt::ToolTipRole).toString();
        QCOMPARE(tooltip.count(u'\n'), 39);
        QCOMPARE(QString(tooltip).remove(u'\n'), longReading.left(4000) + u'…');
        QVERIFY(!model.index(1, 0).data(Qt::ToolTipRole).isValid());
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QString(2000, u'G') + u'…');
    }

    void shouldGiveTheFiguresOfTheSelection_data()
    {
        QTest::addColumn<QStringList>("readings");
        QTest::addColumn<QString>("figures");
        QTest::newRow("one") << QStringList { "9 mm" } << "1 reading";
        QTest::newRow("numbers among text") << QStringList { "0.5", "over", "2.4", "9 mm" }
                                            << "4 readings · min 0.5 · max 2.4 · mean 1.45";
        QTest::newRow("whole numbers")
            << QStringList { "5", "8" } << "2 readings · min 5 · max 8 · mean 6.50";
        QTest::newRow("blanks, comma and signs") << QStringList { " 0,25 ", "+3", "-1.5" }
                                                 << "3 readings · min -1.50 · max 3.00 · mean 0.58";
    }
    // As spreadsheets do: every selected reading counts, the numbers give the figures, as
    // precisely as they were taken; a cell below the end of its group holds none.
    void shouldGiveTheFiguresOfTheSelection()
    {
        QFETCH(QStringList, readings);
        QFETCH(QString, figures);
        Measurements measurements { { "GROUP#2", { "100" } } };
        for (const QString &reading : readings)
            measurements["GROUP#1"].append(reading);
        model.show(measurements);
        const int last = model.rowCount() - 1;
        QCOMPARE(model.figuresOf(QItemSelection(model.index(0, 0), model.index(last, 0)))
                     .text(QLocale::c()),
                 figures);
        const QItemSelection all(model.index(0, 0), model.index(last, 1));
        QCOMPARE(model.figuresOf(all).readings, readings.size() + 1);
    }
};

QTEST_MAIN(MeasurementModelTest)
#include "tst_measurementmodel.moc"
