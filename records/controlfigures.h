#pragma once

#include "records/control.h"

#include <QList>

#include <optional>

// A group's figures as History keeps and compares them: how many readings, and over those that
// are numbers the minimum, the mean and the maximum. Readings that are text count but take no
// part in the figures; a group without numbers has none.
struct GroupFigures
{
    QString group;
    int readings = 0;
    int numbers = 0;
    double minimum = 0;
    double mean = 0;
    double maximum = 0;
};

// The figures of every group of a control, in the one order of groups.
QList<GroupFigures> groupFigures(const Measurements &measurements);

// One group of two controls side by side. A group present in one control only has no figures for
// the other; the changes exist only where both controls have numbers.
struct GroupComparison
{
    QString group;
    std::optional<GroupFigures> current;
    std::optional<GroupFigures> previous;
    std::optional<double> minimumChange; // current minus previous
    std::optional<double> meanChange;
};

// Both controls' groups merged in the one order of groups.
QList<GroupComparison> compareControls(const QList<GroupFigures> &current,
                                       const QList<GroupFigures> &previous);
