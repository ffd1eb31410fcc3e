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
    void drawsOneColumnPerGroupInStoreOrder_data();
    void drawsOneColumnPerGroupInStoreOrder();
    void givesEveryValueARightAlignedPlainItem();
    void replacesALargerViewCompletely();
    void keepsAUserEditOutOfTheStore();
};

void TableViewTest::drawsOneColumnPerGroupInStoreOrder_data()
{
    QTest::addColumn<Store>("store");
    QTest::addColumn<TableContents>("table");

    const QString none;
    QTest::newRow("empty store") << Store {} << TableContents {};
    QTest::newRow("unequal lengths")
        << Store { { "A", { "1" } }, { "B", { "1", "2", "3" } }, { "C", { "1", "2" } } }
        << TableContents { { "A", "B", "C" },
                           3,
                           { { "1", none, none }, { "1", "2", "3" }, { "1", "2", none } } };
    QTest::newRow("an empty group") << Store { { "A", {} }, { "B", { "x" } } }
                                    << TableContents { { "A", "B" }, 1, { { none }, { "x" } } };
    QTest::newRow("only empty groups")
        << Store { { "A", {} }, { "", {} } } << TableContents { { "", "A" }, 0, { {}, {} } };
    QTest::newRow("ordinal, case-sensitive order")
        << Store { { "group#1", { "c" } }, { "GROUP#2", { "b" } }, { "GROUP#10", { "a" } } }
        << TableContents { { "GROUP#10", "GROUP#2", "group#1" }, 1, { { "a" }, { "b" }, { "c" } } };
    QTest::newRow("values shown as they are")
        << Store { { "G", { "007", "0,5", " 1 2 ", "", "<b>" } } }
        << TableContents { { "G" }, 5, { { "007", "0,5", " 1 2 ", "", "<b>" } } };
}

void TableViewTest::drawsOneColumnPerGroupInStoreOrder()
{
    QFETCH(Store, store);
    QFETCH(TableContents, table);

    QTableWidget widget;
    fillMeasurementTable(&widget, store);
    QCOMPARE(TableContents::of(&widget), table);
    // Drawing again changes nothing.
    fillMeasurementTable(&widget, store);
    QCOMPARE(TableContents::of(&widget), table);
}

void TableViewTest::givesEveryValueARightAlignedPlainItem()
{
    QTableWidget widget;
    fillMeasurementTable(&widget, { { "A", { "1", "2" } }, { "B", { "3" } } });
    for (const auto &[row, column] : { std::pair(0, 0), std::pair(1, 0), std::pair(0, 1) }) {
        const QTableWidgetItem *item = widget.item(row, column);
        QVERIFY(item);
        QCOMPARE(item->type(), int(QTableWidgetItem::Type));
        QCOMPARE(item->data(Qt::TextAlignmentRole), QVariant(int(Qt::AlignRight)));
    }
}

void TableViewTest::replacesALargerViewCompletely()
{
    QTableWidget widget;
    fillMeasurementTable(&widget,
                         { { "A", { "1", "2", "3", "4" } }, { "B", { "5" } }, { "C", { "6" } } });
    fillMeasurementTable(&widget, { { "B", { "7", "8" } } });
    QCOMPARE(TableContents::of(&widget), TableContents({ { "B" }, 2, { { "7", "8" } } }));
    QCOMPARE(widget.columnCount(), 1);
    QVERIFY(!widget.horizontalHeaderItem(1));

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
    QCOMPARE(table->item(1, 0)->text(), QStringLiteral("9.99"));
    QCOMPARE(window.measurementStore().value("GROUP#1"), QStringList({ "0.52", "0.55" }));

    // The next drawing shows the store again.
    window.receiveDelivery("END\n");
    QCOMPARE(table->item(1, 0)->text(), QStringLiteral("0.55"));
}

QTEST_MAIN(TableViewTest)
#include "tst_tableview.moc"
