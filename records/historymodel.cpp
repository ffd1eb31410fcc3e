#include "records/historymodel.h"

#include <QBrush>
#include <QLocale>
#include <QPalette>
#include <QSqlQuery>

namespace {

QVariant cell(const QSqlQueryModel &model, int row, HistoryColumn column)
{
    return model.QSqlQueryModel::data(model.index(row, int(column)));
}

} // namespace

HistoryModel::HistoryModel(QObject *parent)
    : QSqlQueryModel(parent)
{ }

void HistoryModel::show(const ArchiveIndex &index, const HistoryFilter &filter)
{
    setQuery(index.historyQuery(filter));
    const std::pair<HistoryColumn, QString> headers[] = {
        { HistoryColumn::Controlled, tr("Date") },
        { HistoryColumn::Object, tr("Object") },
        { HistoryColumn::Inspector, tr("Inspector") },
        { HistoryColumn::Device, tr("Device") },
        { HistoryColumn::SerialNumber, tr("Serial number") },
        { HistoryColumn::Readings, tr("Readings") },
        { HistoryColumn::Groups, tr("Groups") },
        { HistoryColumn::CutOff, tr("Cut off") },
        { HistoryColumn::File, tr("File") },
        { HistoryColumn::Size, tr("Size, bytes") },
    };
    for (const auto &[column, title] : headers)
        setHeaderData(int(column), Qt::Horizontal, title);
}

qint64 HistoryModel::controlId(int row) const
{
    return cell(*this, row, HistoryColumn::Id).toLongLong();
}

QString HistoryModel::fileName(int row) const
{
    return cell(*this, row, HistoryColumn::File).toString();
}

bool HistoryModel::isUnreadable(int row) const
{
    return !cell(*this, row, HistoryColumn::Unreadable).isNull();
}

QVariant HistoryModel::data(const QModelIndex &item, int role) const
{
    const auto column = HistoryColumn(item.column());
    const QString unreadable = cell(*this, item.row(), HistoryColumn::Unreadable).toString();
    if (role == Qt::ForegroundRole && !unreadable.isEmpty())
        return QPalette().brush(QPalette::Disabled, QPalette::Text);
    if (role == Qt::ToolTipRole && !unreadable.isEmpty())
        return unreadable;
    if (role != Qt::DisplayRole)
        return QSqlQueryModel::data(item, role);
    const QVariant value = QSqlQueryModel::data(item, role);
    switch (column) {
    case HistoryColumn::Controlled:
        return QDateTime::fromString(value.toString(), Qt::ISODate)
            .toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
    case HistoryColumn::Object:
        return unreadable.isEmpty() ? value : tr("Unreadable: %1").arg(unreadable);
    case HistoryColumn::Readings:
    case HistoryColumn::Groups:
        return unreadable.isEmpty() ? value : QVariant();
    case HistoryColumn::CutOff:
        return value.toBool() ? tr("cut off") : QString();
    default:
        return value;
    }
}
