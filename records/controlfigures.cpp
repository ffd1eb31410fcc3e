#include "records/controlfigures.h"

#include "records/grouporder.h"
#include "records/readingnumber.h"

#include <algorithm>

QList<GroupFigures> groupFigures(const Measurements &measurements)
{
    QList<GroupFigures> figures;
    for (const QString &group : groupsInOrder(measurements)) {
        GroupFigures one;
        one.group = group;
        double sum = 0;
        for (const QStringView reading : measurements.value(group)) {
            ++one.readings;
            const auto number = readingNumber(reading);
            if (!number)
                continue;
            one.minimum = one.numbers == 0 ? number->value : std::min(one.minimum, number->value);
            one.maximum = one.numbers == 0 ? number->value : std::max(one.maximum, number->value);
            sum += number->value;
            ++one.numbers;
        }
        if (one.numbers > 0)
            one.mean = sum / one.numbers;
        figures << one;
    }
    return figures;
}

QList<GroupComparison> compareControls(const QList<GroupFigures> &current,
                                       const QList<GroupFigures> &previous)
{
    QMap<QString, GroupComparison> byName;
    for (const GroupFigures &group : current)
        byName[group.group].current = group;
    for (const GroupFigures &group : previous)
        byName[group.group].previous = group;

    QList<GroupComparison> merged;
    for (auto it = byName.begin(); it != byName.end(); ++it) {
        GroupComparison &row = it.value();
        row.group = it.key();
        if (row.current && row.previous && row.current->numbers > 0 && row.previous->numbers > 0) {
            row.minimumChange = row.current->minimum - row.previous->minimum;
            row.meanChange = row.current->mean - row.previous->mean;
        }
        merged << row;
    }
    std::stable_sort(merged.begin(), merged.end(),
                     [](const GroupComparison &left, const GroupComparison &right) {
                         return groupNameLess(left.group, right.group);
                     });
    return merged;
}
