#pragma once

#include <QStringList>
#include <QTableWidget>

// What a table shows, cell by cell, in a form that tests compare and print. A cell without an item
// is a null string, so it differs from an item with empty text.
struct TableContents
{
    QStringList headers;
    int rows = 0;
    QList<QStringList> columns;

    static TableContents of(const QTableWidget *table)
    {
        TableContents contents;
        contents.rows = table->rowCount();
        for (int column = 0; column < table->columnCount(); ++column) {
            const QTableWidgetItem *header = table->horizontalHeaderItem(column);
            contents.headers.append(header ? header->text() : QString());
            QStringList cells;
            for (int row = 0; row < table->rowCount(); ++row) {
                const QTableWidgetItem *item = table->item(row, column);
                cells.append(item ? item->text() : QString());
            }
            contents.columns.append(cells);
        }
        return contents;
    }

    bool operator==(const TableContents &other) const
    {
        return headers == other.headers && rows == other.rows && columns == other.columns;
    }
};

inline char *toString(const TableContents &contents)
{
    QString text = QStringLiteral("%1 rows;").arg(contents.rows);
    for (int column = 0; column < contents.headers.size(); ++column) {
        QStringList cells;
        for (const QString &cell : contents.columns.at(column))
            cells.append(cell.isNull() ? QStringLiteral("<none>") : cell);
        text += QStringLiteral(" [%1: %2]").arg(contents.headers.at(column), cells.join(u'|'));
    }
    return qstrdup(text.toUtf8().constData());
}
