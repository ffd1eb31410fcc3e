#pragma once

#include "records/controlfigures.h"

#include <QDialog>

#include <optional>

class ArchiveIndex;
struct IndexedControl;

namespace Ui {
class Compare;
}
// Generated from compare.ui, whose class name gives the "Compare" translation context.
using CompareUi = Ui::Compare;

// One side of a comparison: what it is called, whose object, and its groups' figures.
struct ComparedControl
{
    QString title;
    QString object;
    QList<GroupFigures> figures;
};

// The control as History lists it.
ComparedControl comparedControl(const ArchiveIndex &index, const IndexedControl &control);

// A control beside an earlier one, group by group, with a chart of one group's minimum and mean
// over every control of the object, which can be saved as a picture.
class Compare : public QDialog
{
    Q_OBJECT

public:
    // The index belongs to the window's thread and outlives the dialog.
    Compare(const ArchiveIndex &index, const ComparedControl &current,
            const std::optional<ComparedControl> &previous, QWidget *parent = nullptr);
    ~Compare() override;

    // Writes the chart as PNG, or as SVG when the name ends so; returns whether it was written.
    bool saveChart(const QString &fileName);

private:
    void showTable(const QList<GroupComparison> &rows);
    void showChart(const QString &group);
    void chooseChartFile();

    CompareUi *ui;
    const ArchiveIndex &index;
    QString object;
};
