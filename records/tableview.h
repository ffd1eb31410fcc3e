#pragma once

#include <QMap>
#include <QStringList>

class QTableWidget;

// Rebuilds the table as a view of the measurement store: one column per group in group order,
// one row per value position, nothing below the end of a shorter group.
void fillMeasurementTable(QTableWidget *table, const QMap<QString, QStringList> &measurements);
