#include "records/selectionfigures.h"

#include <QCoreApplication>
#include <QVarLengthArray>

#include <algorithm>
#include <charconv>

namespace {

// A plain decimal number as instruments write them, with a point or a comma, blanks around it
// allowed. Exponents, group separators and words such as "inf" are no readings of a measuring
// instrument. Checked character by character: a selection may hold millions of readings.
bool parseReading(QStringView reading, double &value, int &decimals)
{
    reading = reading.trimmed();
    QVarLengthArray<char, 32> plain;
    qsizetype whole = 0;
    qsizetype fraction = 0;
    bool separated = false;
    for (qsizetype i = 0; i < reading.size(); ++i) {
        const char16_t c = reading.at(i).unicode();
        if (c >= u'0' && c <= u'9') {
            (separated ? fraction : whole) += 1;
            plain.append(char(c));
        } else if ((c == u'.' || c == u',') && !separated) {
            separated = true;
            plain.append('.');
        } else if ((c == u'-' || c == u'+') && i == 0) {
            if (c == u'-')
                plain.append('-');
        } else {
            return false;
        }
    }
    if (whole == 0 && fraction == 0)
        return false;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    decimals = int(fraction);
    return error == std::errc() && end == plain.data() + plain.size();
}

} // namespace

void SelectionFigures::add(QStringView reading)
{
    ++readings;
    double value = 0;
    int digits = 0;
    if (!parseReading(reading, value, digits))
        return;
    if (numbers == 0) {
        minimum = maximum = value;
    } else {
        minimum = std::min(minimum, value);
        maximum = std::max(maximum, value);
    }
    ++numbers;
    sum += value;
    mean = sum / numbers;
    decimals = std::max(decimals, digits);
}

QString SelectionFigures::text(const QLocale &locale) const
{
    if (readings == 0)
        return QString();
    // Two forms in the source, so that English says "1 reading"; the translation gives every
    // plural form of its language to both.
    QString shown = readings == 1
        ? QCoreApplication::translate("MainWindow", "%n reading", nullptr, readings)
        : QCoreApplication::translate("MainWindow", "%n readings", nullptr, readings);
    if (numbers == 0)
        return shown;
    const QString separator = QStringLiteral(" \u00b7 ");
    // The mean of whole numbers is seldom whole: it keeps at least two decimals.
    shown += separator
        + QCoreApplication::translate("MainWindow", "min %1")
              .arg(locale.toString(minimum, 'f', decimals))
        + separator
        + QCoreApplication::translate("MainWindow", "max %1")
              .arg(locale.toString(maximum, 'f', decimals))
        + separator
        + QCoreApplication::translate("MainWindow", "mean %1")
              .arg(locale.toString(mean, 'f', std::max(decimals, 2)));
    return shown;
}
