#include "records/measurementmodel.h"

#include "records/grouporder.h"

#include <QItemSelection>

#include <algorithm>
#include <climits>

void MeasurementModel::show(const Measurements &measurements)
{
    beginResetModel();
    columns.clear();
    groups.clear();
    shown = measurements;
    columns.reserve(shown.size());
    groups.reserve(shown.size());
    qsizetype longest = 0;
    for (const auto &group : orderedGroups(shown)) {
        groups.append(group.key());
        columns.append(&group.value());
        longest = std::max(longest, columns.constLast()->size());
    }
    rows = int(std::min<qsizetype>(longest, INT_MAX));
    endResetModel();
}

SelectionFigures MeasurementModel::figuresOf(const QItemSelection &selection) const
{
    // The selection model keeps its ranges apart from one another, so no cell counts twice.
    SelectionFigures figures;
    for (const QItemSelectionRange &range : selection) {
        for (int column = range.left(); column <= range.right() && column < columns.size();
             ++column) {
            const Readings &values = *columns.at(column);
            const qsizetype end = std::min<qsizetype>(range.bottom() + 1, values.size());
            for (qsizetype row = range.top(); row < end; ++row)
                figures.add(values.at(row));
        }
    }
    return figures;
}

int MeasurementModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : rows;
}

int MeasurementModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(columns.size());
}

namespace {

// A cell lays out all of its text to elide it, which for a text of millions of characters takes
// seconds at every repaint; no cell is wide enough to show more than this anyway.
constexpr qsizetype shownCharacters = 2000;

bool isTooLongToShow(QStringView text)
{
    return text.size() > shownCharacters;
}

QString shownPart(QStringView text)
{
    if (!isTooLongToShow(text))
        return text.toString();
    const qsizetype end =
        text.at(shownCharacters - 1).isHighSurrogate() ? shownCharacters - 1 : shownCharacters;
    return text.left(end).toString() + QChar(0x2026);
}

// A tooltip lays its text out on one line per line break and is cut at the screen's edge: the
// reading is broken into lines a screen can show, and as many as a screen holds. The whole
// would freeze the window as a cell did: 100,000 characters take seconds.
constexpr qsizetype tooltipLineCharacters = 100;
constexpr qsizetype tooltipLines = 40;

QString tooltipOf(QStringView text)
{
    constexpr qsizetype shown = tooltipLineCharacters * tooltipLines;
    QString tooltip;
    for (qsizetype at = 0; at < text.size() && at < shown; at += tooltipLineCharacters) {
        if (at > 0)
            tooltip += QLatin1Char('\n');
        tooltip += text.mid(at, tooltipLineCharacters);
    }
    if (text.size() > shown)
        tooltip += QChar(0x2026);
    return tooltip;
}

} // namespace

QVariant MeasurementModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.column() >= columns.size())
        return QVariant();
    const Readings &values = *columns.at(index.column());
    if (index.row() >= values.size())
        return QVariant();
    if (role == Qt::DisplayRole)
        return shownPart(values.at(index.row()));
    if (role == Qt::ToolTipRole && isTooLongToShow(values.at(index.row())))
        return tooltipOf(values.at(index.row()));
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignRight);
    return QVariant();
}

QVariant MeasurementModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return section < groups.size() ? QVariant(shownPart(groups.at(section))) : QVariant();
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags MeasurementModel::flags(const QModelIndex &index) const
{
    // The table only shows the store; an edit there would change nothing that is saved or
    // printed.
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}
