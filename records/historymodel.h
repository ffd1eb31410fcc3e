#pragma once

#include "records/archiveindex.h"

#include <QSqlQueryModel>

// History's rows over the archive's index: newest first, dates in the program's format, a file
// that is no file of changes shown as such with its reason.
class HistoryModel : public QSqlQueryModel
{
    Q_OBJECT

public:
    explicit HistoryModel(QObject *parent = nullptr);

    void show(const ArchiveIndex &index, const HistoryFilter &filter);
    qint64 controlId(int row) const;
    QString fileName(int row) const;
    bool isUnreadable(int row) const;

    QVariant data(const QModelIndex &item, int role = Qt::DisplayRole) const override;
};
