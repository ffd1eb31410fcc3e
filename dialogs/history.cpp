#include "dialogs/history.h"
#include "ui_history.h"

#include "dialogs/compare.h"
#include "records/archiveindex.h"
#include "records/historymodel.h"

#include <QDir>
#include <QHeaderView>

namespace {

// The earliest day a range can start on; a date edit showing it stands for an open end.
const QDate openEnd(2000, 1, 1);

QDate dateOrOpen(const QDate &shown)
{
    return shown == openEnd ? QDate() : shown;
}

} // namespace

History::History(ArchiveIndex &archiveIndex, QWidget *parent)
    : QDialog(parent)
    , ui(new HistoryUi)
    , index(archiveIndex)
    , model(new HistoryModel(this))
{
    ui->setupUi(this);
    for (QDateEdit *edge : { ui->fromDate, ui->toDate }) {
        edge->setMinimumDate(openEnd);
        edge->setDate(openEnd);
        connect(edge, &QDateEdit::dateChanged, this, &History::refresh);
    }
    ui->historyTable->setModel(model);
    connect(ui->filterEdit, &QLineEdit::textChanged, this, &History::refresh);
    connect(ui->historyTable, &QTableView::activated, this, &History::openChosen);
    connect(ui->openButton, &QPushButton::clicked, this, &History::openChosen);
    connect(ui->compareButton, &QPushButton::clicked, this, &History::compareChosen);
    refresh();
    ui->historyTable->setColumnHidden(int(HistoryColumn::Id), true);
    ui->historyTable->setColumnHidden(int(HistoryColumn::Unreadable), true);
    // Measured once: measuring again at every keystroke would read a thousand rows each time.
    ui->historyTable->resizeColumnsToContents();
    ui->historyTable->horizontalHeader()->setStretchLastSection(true);
}

History::~History()
{
    delete ui;
}

void History::refresh()
{
    const HistoryFilter filter { ui->filterEdit->text(), dateOrOpen(ui->fromDate->date()),
                                 dateOrOpen(ui->toDate->date()) };
    // Rows come from the database as the view scrolls, so that a keystroke costs the same with
    // a hundred controls kept or a hundred thousand.
    model->show(index, filter);
    ui->countLabel->setText(tr("Controls: %1").arg(index.historyCount(filter)));
}

QList<int> History::chosenRows() const
{
    QList<int> rows;
    for (const QModelIndex &row : ui->historyTable->selectionModel()->selectedRows())
        if (!model->isUnreadable(row.row()))
            rows << row.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void History::openChosen()
{
    const QModelIndex current = ui->historyTable->currentIndex();
    if (current.isValid())
        emit openRequested(QDir(index.archiveFolder()).filePath(model->fileName(current.row())));
}

void History::compareChosen()
{
    const QList<int> rows = chosenRows();
    if (rows.isEmpty())
        return;
    // Newest first: the first row chosen is the later control.
    const auto current = index.control(model->controlId(rows.first()));
    if (!current)
        return;
    const auto previous = rows.size() > 1
        ? index.control(model->controlId(rows.at(1)))
        : index.previousControl(current->object, current->controlled, current->fileName);
    auto *compare = new Compare(
        index, comparedControl(index, *current),
        previous ? std::optional(comparedControl(index, *previous)) : std::nullopt, this);
    compare->setAttribute(Qt::WA_DeleteOnClose);
    compare->show();
}
