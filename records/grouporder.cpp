#include "records/grouporder.h"

#include <algorithm>

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Compares the runs of digits that start at left[i] and right[j] as numbers of any length, and
// moves both indexes past them. Leading zeros do not count.
int compareNumbers(const QString &left, qsizetype &i, const QString &right, qsizetype &j)
{
    while (i < left.size() && left[i] == QLatin1Char('0') && i + 1 < left.size()
           && isDigit(left[i + 1]))
        ++i;
    while (j < right.size() && right[j] == QLatin1Char('0') && j + 1 < right.size()
           && isDigit(right[j + 1]))
        ++j;
    qsizetype leftEnd = i, rightEnd = j;
    while (leftEnd < left.size() && isDigit(left[leftEnd]))
        ++leftEnd;
    while (rightEnd < right.size() && isDigit(right[rightEnd]))
        ++rightEnd;
    // Without leading zeros the longer run is the larger number.
    int order = int(leftEnd - i) - int(rightEnd - j);
    for (; order == 0 && i < leftEnd; ++i, ++j)
        order = left[i].unicode() - right[j].unicode();
    i = leftEnd;
    j = rightEnd;
    return order;
}

} // namespace

bool groupNameLess(const QString &left, const QString &right)
{
    qsizetype i = 0, j = 0;
    while (i < left.size() && j < right.size()) {
        if (isDigit(left[i]) && isDigit(right[j])) {
            if (const int order = compareNumbers(left, i, right, j))
                return order < 0;
            continue;
        }
        if (left[i] != right[j])
            return left[i] < right[j];
        ++i;
        ++j;
    }
    if (i < left.size() || j < right.size())
        return j < right.size();
    // Equal as numbers but written differently (GROUP#01, GROUP#1): still a fixed order.
    return left < right;
}

QList<Measurements::const_iterator> orderedGroups(const Measurements &measurements)
{
    QList<Measurements::const_iterator> groups;
    groups.reserve(measurements.size());
    for (auto group = measurements.cbegin(); group != measurements.cend(); ++group)
        groups.append(group);
    std::stable_sort(groups.begin(), groups.end(), [](const auto &left, const auto &right) {
        return groupNameLess(left.key(), right.key());
    });
    return groups;
}

QStringList groupsInOrder(const Measurements &measurements)
{
    QStringList names;
    names.reserve(measurements.size());
    for (const auto &group : orderedGroups(measurements))
        names.append(group.key());
    return names;
}
