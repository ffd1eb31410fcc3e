#include "records/tableview.h"

#include "records/grouporder.h"

#include "mainwindow/mainwindow.h"
#include "ui_mainwindow.h"

#include <QTableWidget>
#include <QTableWidgetItem>

void fillMeasurementTable(QTableWidget *table, const QMap<QString, QStringList> &measurements)
{
    table->setColumnCount(0);
    // Emptied columns inserted into a table that still has its old rows cost a move of every
    // following cell for each row, which grows with the square of the rows; without rows they are
    // free, and the row count is set anew below anyway.
    table->setRowCount(0);
    const QStringList groups = groupsInOrder(measurements);
    qsizetype longest = 0;
    for (auto group = measurements.cbegin(); group != measurements.cend(); ++group)
        longest = std::max(longest, group->size());
    // All columns at once: the header lays out its sections anew for every insertion, which for
    // thousands of groups takes longer than everything else together.
    table->setColumnCount(int(measurements.size()));
    table->setRowCount(int(longest));
    table->setHorizontalHeaderLabels(groups);
    int column = 0;
    for (const QString &group : groups) {
        int row = 0;
        for (const QString &value : measurements.value(group)) {
            auto *item = new QTableWidgetItem(value, QTableWidgetItem::Type);
            item->setData(Qt::TextAlignmentRole, int(Qt::AlignRight));
            table->setItem(row++, column, item);
        }
        ++column;
    }
}

void MainWindow::showData()
{
    fillMeasurementTable(ui->tableMeasurement, measurements);
}
