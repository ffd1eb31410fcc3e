#include "records/spreadsheet.h"

#include "records/control.h"
#include "records/grouporder.h"
#include "records/readingnumber.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <algorithm>
#include <clocale>
#include <locale.h>

namespace {

// Top rows: the control's fields; then a blank row, the group names and the readings.
constexpr lxw_row_t headerRow = 6;
constexpr lxw_row_t firstReadingRow = headerRow + 1;
// A double holds this many significant digits; a longer number stays text, so that every
// number cell shows the digits received.
constexpr qsizetype significantDigits = 15;
// Characters in a text cell, as the format bounds them.
constexpr int longestCellText = 32767;

QString translated(const char *text)
{
    return QCoreApplication::translate("MainWindow", text);
}

// The library formats numbers, dates and column widths with the C library, in the calling
// thread's locale, which the toolkit sets from the desktop's at start: on a Russian desktop
// 0.52 would be written as 0,52, which no spreadsheet program reads. Only this thread changes,
// for as long as the workbook is made; the process-wide locale stays as other threads see it.
class CLocaleOnThisThread
{
public:
    CLocaleOnThisThread()
        : cLocale(newlocale(LC_ALL_MASK, "C", locale_t(nullptr)))
        , previous(cLocale ? uselocale(cLocale) : locale_t(nullptr))
    { }
    ~CLocaleOnThisThread()
    {
        if (cLocale) {
            uselocale(previous);
            freelocale(cLocale);
        }
    }
    Q_DISABLE_COPY(CLocaleOnThisThread)

private:
    locale_t cLocale;
    locale_t previous;
};

bool isEscapeLike(QStringView text, qsizetype at)
{
    if (at + 6 >= text.size() || text.at(at) != u'_' || text.at(at + 1) != u'x'
        || text.at(at + 6) != u'_')
        return false;
    for (qsizetype digit = at + 2; digit < at + 6; ++digit) {
        if (!QStringView(u"0123456789ABCDEFabcdef").contains(text.at(digit)))
            return false;
    }
    return true;
}

// The sheet's XML may hold no control character but tab and line feed (a carriage return would
// read back as a line feed), no U+FFFE or U+FFFF and no lone surrogate. The format writes such a
// character as _xHHHH_, and the underscore of a text that reads like such an escape as _x005F_,
// so that every text reads back as it was.
QByteArray sheetText(QStringView text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (qsizetype at = 0; at < text.size(); ++at) {
        const char16_t c = text.at(at).unicode();
        if (QChar::isHighSurrogate(c) && at + 1 < text.size() && text.at(at + 1).isLowSurrogate()) {
            escaped.append(text.at(at)).append(text.at(at + 1));
            ++at;
        } else if ((c < 0x20 && c != u'\t' && c != u'\n') || QChar::isSurrogate(c) || c == 0xFFFE
                   || c == 0xFFFF || isEscapeLike(text, at)) {
            escaped += QStringLiteral("_x%1_").arg(
                QString::number(c, 16).toUpper().rightJustified(4, QLatin1Char('0')));
        } else {
            escaped += text.at(at);
        }
    }
    return escaped.toUtf8();
}

class Sheet
{
public:
    Sheet(lxw_workbook *book, lxw_worksheet *sheet)
        : workbook(book)
        , worksheet(sheet)
    { }

    void text(lxw_row_t row, lxw_col_t column, QStringView value)
    {
        if (!value.isEmpty())
            check(worksheet_write_string(worksheet, row, column, sheetText(value).constData(),
                                         nullptr));
    }

    void reading(lxw_row_t row, lxw_col_t column, QStringView value)
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

bool writeSpreadsheet(QIODevice &device, const Control &content, QString *error)
{
    const QStringList groups = groupsInOrder(content.measurements);
    qsizetype rows = 0;
    for (const Readings &values : content.measurements)
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

    const CLocaleOnThisThread cLocale;
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

    QList<Readings> columns;
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
    if (failure == LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED) {
        // The library's own words are English, and the operator may need to know the bound.
        *error = translated(QT_TRANSLATE_NOOP("MainWindow",
                                              "A cell of a sheet holds at most %1 characters; a "
                                              "reading or a field here is longer."))
                     .arg(longestCellText);
        return false;
    }
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
