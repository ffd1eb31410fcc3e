#include "mainwindow/mainwindow.h"
#include "nodevices.h"
#include "records/tableview.h"
#include "tablecontents.h"

#include <QTableWidget>
#include <QtTest>

using Store = QMap<QString, QStringList>;

// The table as a view of the measurement store.
class TableViewTest : public QObject
{
    Q_OBJECT

private slots:
    void drawsOneColumnPerGroupInStoreOrder();
    void keepsAUserEditOutOfTheStore();
};

void TableViewTest::drawsOneColumnPerGroupInStoreOrder()
{
    // Each drawing goes over a larger table, which must leave nothing behind.
    QTableWidget widget;
    fillMeasurementTable(
        &widget, { { "A", { "1", "2", "3", "4" } }, { "B", {} }, { "C", {} }, { "D", {} } });
    fillMeasurementTable(
        &widget,
        { { "group#1", { "007" } }, { "GROUP#2", { "0,5", " 1 2 ", "" } }, { "GROUP#10", {} } });
    const QString none = TableContents::noItem;
    QCOMPARE(
        TableContents::of(&widget),
        TableContents({ { "GROUP#10", "GROUP#2", "group#1" },
                        3,
                        { { none, none, none }, { "0,5", " 1 2 ", "" }, { "007", none, none } } }));
    // Every value is a plain item, aligned to the right.
    for (int cell = 0; cell < 3 * 3; ++cell) {
        if (const QTableWidgetItem *item = widget.item(cell / 3, cell % 3))
            QVERIFY(item->type() == QTableWidgetItem::Type
                    && item->textAlignment() == Qt::AlignRight);
    }
    fillMeasurementTable(&widget, {});
    QCOMPARE(TableContents::of(&widget), TableContents());
}

void TableViewTest::keepsAUserEditOutOfTheStore()
{
    MainWindow window(nullptr, new NoDevices);
    window.receiveDelivery("SN 1\nGROUP#1 0.52\nGROUP#1 0.55\nEND\n");
    auto *table = window.findChild<QTableWidget *>(QStringLiteral("tableMeasurement"));

    // The form leaves the cells editable; an edit goes through the model as the editor's does.
    QVERIFY(table->item(1, 0)->flags() & Qt::ItemIsEditable);
    QVERIFY(table->model()->setData(table->model()->index(1, 0), QStringLiteral("9.99")));
    QCOMPARE(window.measurementStore().value("GROUP#1"), QStringList({ "0.52", "0.55" }));
    // The next drawing shows the store again.
    window.receiveDelivery("END\n");
    QCOMPARE(table->item(1, 0)->text(), QStringLiteral("0.55"));
}

QTEST_MAIN(TableViewTest)
#include "tst_tableview.moc"
