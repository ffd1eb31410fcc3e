#include "records/spreadsheet.h"

#include "records/changefile.h"
#include "records/grouporder.h"
#include "records/readingnumber.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <algorithm>

namespace {

// Top rows: the control's fields; then a blank row, the group names and the readings.
constexpr lxw_row_t headerRow = 6;
constexpr lxw_row_t firstReadingRow = headerRow + 1;
// A double holds this many significant digits; a longer number stays text, so that every
// number cell shows the digits received.
constexpr qsizetype significantDigits = 15;

QString translated(const char *text)
{
    return QCoreApplication::translate("MainWindow", text);
}

class Sheet
{
public:
    Sheet(lxw_workbook *book, lxw_worksheet *sheet)
        : workbook(book)
        , worksheet(sheet)
    { }

    void text(lxw_row_t row, lxw_col_t column, const QString &value)
    {
        if (!value.isEmpty())
            check(worksheet_write_string(worksheet, row, column, value.toUtf8().constData(),
                                         nullptr));
    }

    void reading(lxw_row_t row, lxw_col_t column, const QString &value)
    {
        const std::optional<ReadingNumber> number = readingNumber(value);
        if (!number || number->significantDigits > significantDigits) {
            text(row, column, value);
            return;
        }
        check(worksheet_write_number(worksheet, row, column, number->value,
                                     formatWithDecimals(number->decimals)));
    }

    void dateTime(lxw_row_t row, lxw_col_t column, const QDateTime &value)
    {
        const QDate date = value.date();
        // The sheet's dates begin in 1900.
        if (!value.isValid() || date.year() < 1900 || date.year() > 9999) {
            text(row, column, value.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")));
            return;
        }
        const QTime time = value.time();
        lxw_datetime cell { date.year(), date.month(),  date.day(),
                            time.hour(), time.minute(), double(time.second()) };
        if (!dateFormat) {
            dateFormat = workbook_add_format(workbook);
            format_set_num_format(dateFormat, "dd.mm.yyyy hh:mm:ss");
        }
        check(worksheet_write_datetime(worksheet, row, column, &cell, dateFormat));
    }

    lxw_error firstError = LXW_NO_ERROR;

private:
    void check(lxw_error result)
    {
        if (firstError == LXW_NO_ERROR)
            firstError = result;
    }

    // The digits after the separator stay as they were received: 0.520 shows as 0.520.
    lxw_format *formatWithDecimals(int decimals)
    {
        lxw_format *&format = decimalFormats[decimals];
        if (!format) {
            format = workbook_add_format(workbook);
            const QByteArray pattern =
                decimals == 0 ? QByteArray("0") : QByteArray("0.") + QByteArray(decimals, '0');
            format_set_num_format(format, pattern.constData());
        }
        return format;
    }

    lxw_workbook *workbook;
    lxw_worksheet *worksheet;
    lxw_format *dateFormat = nullptr;
    QHash<int, lxw_format *> decimalFormats;
};

} // namespace

bool writeSpreadsheet(QIODevice &device, const ChangeFileContent &content, QString *error)
{
    const QStringList groups = groupsInOrder(content.measurements);
    qsizetype rows = 0;
    for (const QStringList &values : content.measurements)
        rows = std::max(rows, values.size());
    // One column numbers the readings.
    if (groups.size() + 1 > LXW_COL_MAX) {
        *error = translated(QT_TRANSLATE_NOOP("MainWindow",
                                              "A sheet holds at most %1 groups; there are %2."))
                     .arg(LXW_COL_MAX - 1)
                     .arg(groups.size());
        return false;
    }
    if (firstReadingRow + rows > LXW_ROW_MAX) {
        *error = translated(QT_TRANSLATE_NOOP(
                                "MainWindow",
                                "A sheet holds at most %1 readings in a group; there are %2."))
                     .arg(LXW_ROW_MAX - firstReadingRow)
                     .arg(rows);
        return false;
    }

    // The library writes to a file of its own naming; the caller's device gets it whole.
    const QTemporaryDir folder;
    if (!folder.isValid()) {
        *error = folder.errorString();
        return false;
    }
    const QByteArray folderName = QFile::encodeName(folder.path());
    const QByteArray fileName = QFile::encodeName(folder.filePath(QStringLiteral("sheet.xlsx")));
    lxw_workbook_options options {};
    options.tmpdir = const_cast<char *>(folderName.constData());
    lxw_workbook *workbook = workbook_new_opt(fileName.constData(), &options);
    if (!workbook) {
        *error =
            translated(QT_TRANSLATE_NOOP("MainWindow", "The spreadsheet could not be started."));
        return false;
    }
    lxw_worksheet *worksheet = workbook_add_worksheet(
        workbook,
        translated(QT_TRANSLATE_NOOP("MainWindow", "Readings")).left(31).toUtf8().constData());
    Sheet sheet(workbook, worksheet);

    sheet.text(0, 0, translated(QT_TRANSLATE_NOOP("MainWindow", "Object of control")));
    sheet.text(0, 1, content.object);
    sheet.text(1, 0, translated(QT_TRANSLATE_NOOP("MainWindow", "Inspector")));
    sheet.text(1, 1, content.inspector);
    sheet.text(2, 0, translated(QT_TRANSLATE_NOOP("MainWindow", "Date")));
    sheet.dateTime(2, 1, content.dateTime);
    sheet.text(3, 0, translated(QT_TRANSLATE_NOOP("MainWindow", "Device")));
    sheet.text(3, 1, content.deviceName);
    sheet.text(4, 0, translated(QT_TRANSLATE_NOOP("MainWindow", "Serial number")));
    sheet.text(4, 1, content.serialNumber);
    worksheet_set_column(worksheet, 0, 0, 18, nullptr);
    worksheet_set_column(worksheet, 1, lxw_col_t(std::max<qsizetype>(1, groups.size())), 12,
                         nullptr);

    QList<QStringList> columns;
    for (qsizetype column = 0; column < groups.size(); ++column) {
        sheet.text(headerRow, lxw_col_t(column + 1), groups.at(column));
        columns.append(content.measurements.value(groups.at(column)));
    }
    for (qsizetype row = 0; row < rows; ++row) {
        const auto sheetRow = lxw_row_t(firstReadingRow + row);
        worksheet_write_number(worksheet, sheetRow, 0, double(row + 1), nullptr);
        for (qsizetype column = 0; column < columns.size(); ++column) {
            if (row < columns.at(column).size())
                sheet.reading(sheetRow, lxw_col_t(column + 1), columns.at(column).at(row));
        }
    }
    // The group names stay in sight while the readings scroll.
    worksheet_freeze_panes(worksheet, firstReadingRow, 1);

    const lxw_error closed = workbook_close(workbook);
    const lxw_error failure = sheet.firstError != LXW_NO_ERROR ? sheet.firstError : closed;
    if (failure != LXW_NO_ERROR) {
        *error = QString::fromUtf8(lxw_strerror(failure));
        return false;
    }
    QFile written(QFile::decodeName(fileName));
    if (!written.open(QIODevice::ReadOnly)) {
        *error = written.errorString();
        return false;
    }
    const QByteArray bytes = written.readAll();
    if (device.write(bytes) != bytes.size()) {
        *error = device.errorString();
        return false;
    }
    return true;
}
