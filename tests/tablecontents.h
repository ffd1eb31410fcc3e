#pragma once

#include <QStringList>
#include <QTableWidget>

#include <tuple>

// What a table shows, cell by cell, in a form that tests compare and print.
struct TableContents
{
    // Stands for a cell without an item, which a null string would not: it equals an empty one.
    static inline const QString noItem = QStringLiteral("<no item>");

    QStringList headers;
    int rows = 0;
    QList<QStringList> columns;

    static TableContents of(const QTableWidget *table)
    {
        TableContents contents { {}, table->rowCount(), {} };
        const auto text = [](const QTableWidgetItem *item) { return item ? item->text() : noItem; };
        for (int column = 0; column < table->columnCount(); ++column) {
            contents.headers.append(text(table->horizontalHeaderItem(column)));
            contents.columns.emplaceBack();
            for (int row = 0; row < contents.rows; ++row)
                contents.columns.last().append(text(table->item(row, column)));
        }
        return contents;
    }

    bool operator==(const TableContents &other) const
    {
        return std::tie(headers, rows, columns)
            == std::tie(other.headers, other.rows, other.columns);
    }
};

inline char *toString(const TableContents &contents)
{
    QStringList text { QString::number(contents.rows) + " rows" };
    for (int column = 0; column < contents.headers.size(); ++column)
        text.append(contents.headers.at(column) + ": " + contents.columns.value(column).join(u'|'));
    return qstrdup(qPrintable(text.join("; ")));
}
