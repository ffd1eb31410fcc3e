#pragma once

#include "records/control.h"
#include "records/selectionfigures.h"

#include <QAbstractTableModel>

class QItemSelection;

// The table's view of the measurement store: one column per group in group order, one row per
// value position, nothing below the end of a shorter group. It holds the store itself (shared)
// and points into it, so showing a store costs one step per group, not one per reading.
class MeasurementModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    void show(const Measurements &measurements);

    // The figures of the selected cells' readings; a cell below the end of its group holds none.
    SelectionFigures figuresOf(const QItemSelection &selection) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    Measurements shown;
    QStringList groups;
    QList<const Readings *> columns; // in shown, which no one changes
    int rows = 0;
};
