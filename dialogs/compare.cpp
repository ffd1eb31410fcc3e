#include "dialogs/compare.h"
#include "ui_compare.h"

#include "dialogs/plainmessage.h"
#include "records/archiveindex.h"

#include <QChart>
#include <QDateTimeAxis>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineSeries>
#include <QPainter>
#include <QSvgGenerator>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

enum CompareColumn {
    GroupColumn,
    ReadingsColumn,
    MinimumColumn,
    MeanColumn,
    MaximumColumn,
    PreviousReadingsColumn,
    PreviousMinimumColumn,
    PreviousMeanColumn,
    PreviousMaximumColumn,
    MinimumChangeColumn,
    MeanChangeColumn,
    NoteColumn,
    ColumnCount
};

QString number(double value)
{
    return QLocale().toString(value, 'g', 10);
}

QString change(double value)
{
    // A change says its direction even when it rises.
    return (value > 0 ? QLocale().positiveSign() : QString()) + number(value);
}

} // namespace

ComparedControl comparedControl(const ArchiveIndex &index, const IndexedControl &control)
{
    const QString title =
        QStringList { control.controlled.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")),
                      control.object, control.deviceName, control.serialNumber, control.fileName }
            .join(QStringLiteral(" · "));
    return { title, control.object, index.figuresOf(control.id) };
}

Compare::Compare(const ArchiveIndex &archiveIndex, const ComparedControl &current,
                 const std::optional<ComparedControl> &previous, QWidget *parent)
    : QDialog(parent)
    , ui(new CompareUi)
    , index(archiveIndex)
    , object(current.object)
{
    ui->setupUi(this);
    ui->currentLabel->setText(tr("This control: %1").arg(current.title));
    ui->previousLabel->setText(previous ? tr("Previous control: %1").arg(previous->title)
                                        : tr("No earlier control of this object is kept."));
    const QList<GroupComparison> rows =
        compareControls(current.figures, previous ? previous->figures : QList<GroupFigures>());
    showTable(rows);

    ui->chartView->setRenderHint(QPainter::Antialiasing);
    for (const GroupComparison &row : rows)
        ui->groupChoice->addItem(row.group);
    connect(ui->groupChoice, &QComboBox::currentTextChanged, this, &Compare::showChart);
    connect(ui->compareTable, &QTableWidget::currentCellChanged, this,
            [this](int row) { ui->groupChoice->setCurrentIndex(row); });
    connect(ui->saveChartButton, &QPushButton::clicked, this, &Compare::chooseChartFile);
    showChart(ui->groupChoice->currentText());
}

Compare::~Compare()
{
    delete ui;
}

void Compare::showTable(const QList<GroupComparison> &rows)
{
    QTableWidget *table = ui->compareTable;
    table->setColumnCount(ColumnCount);
    // Two lines a heading, so that the table fits beside its figures.
    table->setHorizontalHeaderLabels(
        { tr("Group"), tr("Readings"), tr("Minimum"), tr("Mean"), tr("Maximum"),
          tr("Previous\nreadings"), tr("Previous\nminimum"), tr("Previous\nmean"),
          tr("Previous\nmaximum"), tr("Change of\nminimum"), tr("Change of\nmean"), tr("Note") });
    table->setRowCount(int(rows.size()));
    const auto put = [table](int row, int column, const QString &text) {
        auto *item = new QTableWidgetItem(text);
        if (column != GroupColumn && column != NoteColumn)
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        table->setItem(row, column, item);
    };
    const auto putFigures = [&put](int row, int first, const std::optional<GroupFigures> &figures) {
        if (!figures)
            return;
        put(row, first, QString::number(figures->readings));
        if (figures->numbers == 0)
            return;
        put(row, first + 1, number(figures->minimum));
        put(row, first + 2, number(figures->mean));
        put(row, first + 3, number(figures->maximum));
    };
    for (int row = 0; row < rows.size(); ++row) {
        const GroupComparison &group = rows.at(row);
        put(row, GroupColumn, group.group);
        putFigures(row, ReadingsColumn, group.current);
        putFigures(row, PreviousReadingsColumn, group.previous);
        if (group.minimumChange)
            put(row, MinimumChangeColumn, change(*group.minimumChange));
        if (group.meanChange)
            put(row, MeanChangeColumn, change(*group.meanChange));
        if (!group.previous)
            put(row, NoteColumn, tr("only in this control"));
        else if (!group.current)
            put(row, NoteColumn, tr("only in the previous control"));
    }
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setStretchLastSection(true);
}

void Compare::showChart(const QString &group)
{
    auto *chart = new QChart;
    chart->setTitle(tr("%1 of %2: minimum and mean in every control").arg(group, object));
    auto *minimum = new QLineSeries(chart);
    minimum->setName(tr("Minimum"));
    auto *mean = new QLineSeries(chart);
    mean->setName(tr("Mean"));
    const QList<ArchiveIndex::GroupPoint> points = index.groupHistory(object, group);
    double lowest = points.isEmpty() ? 0 : points.first().minimum;
    double highest = lowest;
    for (const ArchiveIndex::GroupPoint &point : points) {
        const auto at = qreal(point.controlled.toMSecsSinceEpoch());
        minimum->append(at, point.minimum);
        mean->append(at, point.mean);
        lowest = std::min({ lowest, point.minimum, point.mean });
        highest = std::max({ highest, point.minimum, point.mean });
    }
    for (QLineSeries *series : { minimum, mean }) {
        series->setPointsVisible(true);
        chart->addSeries(series);
    }
    auto *time = new QDateTimeAxis(chart);
    time->setFormat(QStringLiteral("dd.MM.yyyy"));
    auto *values = new QValueAxis(chart);
    chart->addAxis(time, Qt::AlignBottom);
    chart->addAxis(values, Qt::AlignLeft);
    for (QLineSeries *series : { minimum, mean }) {
        series->attachAxis(time);
        series->attachAxis(values);
    }
    // Both lines whole: the axis would otherwise take its range from the first line alone.
    const double margin = std::max(highest - lowest, std::abs(highest) * 0.01 + 1e-9) * 0.1;
    values->setRange(lowest - margin, highest + margin);
    values->applyNiceNumbers();
    if (!points.isEmpty())
        time->setRange(points.first().controlled, points.last().controlled);
    QChart *old = ui->chartView->chart();
    ui->chartView->setChart(chart);
    delete old;
}

bool Compare::saveChart(const QString &fileName)
{
    if (!fileName.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive))
        return ui->chartView->grab().save(fileName, "PNG");
    QSvgGenerator svg;
    svg.setFileName(fileName);
    svg.setSize(ui->chartView->size());
    svg.setViewBox(ui->chartView->rect());
    svg.setTitle(ui->chartView->chart()->title());
    QPainter painter;
    if (!painter.begin(&svg))
        return false;
    ui->chartView->render(&painter);
    return painter.end();
}

void Compare::chooseChartFile()
{
    QString filter = tr("PNG image (*.png)");
    const QString svgFilter = tr("SVG image (*.svg)");
    const QString chosen = QFileDialog::getSaveFileName(
        this, tr("Save the chart"), QDir::currentPath(), filter + QStringLiteral(";;") + svgFilter,
        &filter, QFileDialog::DontUseNativeDialog);
    if (chosen.isEmpty())
        return;
    const QString suffix = filter == svgFilter ? QStringLiteral(".svg") : QStringLiteral(".png");
    const QString fileName = QFileInfo(chosen).suffix().isEmpty() ? chosen + suffix : chosen;
    if (!saveChart(fileName))
        showPlainMessage(
            this, QMessageBox::Critical, tr("Save the chart"),
            tr("The chart could not be saved to %1.").arg(QDir::toNativeSeparators(fileName)));
}
