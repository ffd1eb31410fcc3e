#include "records/selectionfigures.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <algorithm>

namespace {

// A plain decimal number as instruments write them, with a point or a comma. Exponents, group
// separators and words such as "inf" are no readings of a measuring instrument.
bool parseReading(const QString &reading, double &value, int &decimals)
{
    static const QRegularExpression number(
        QStringLiteral("^\\s*([+-]?)(\\d*)(?:[.,](\\d*))?\\s*$"));
    const QRegularExpressionMatch match = number.match(reading);
    if (!match.hasMatch() || (match.capturedLength(2) == 0 && match.capturedLength(3) == 0))
        return false;
    const QString plain = match.captured(1) + (match.capturedLength(2) ? match.captured(2) : "0")
        + QLatin1Char('.') + match.captured(3) + QLatin1Char('0');
    bool ok = false;
    value = QLocale::c().toDouble(plain, &ok);
    decimals = int(match.capturedLength(3));
    return ok;
}

} // namespace

SelectionFigures SelectionFigures::of(const QStringList &readings)
{
    SelectionFigures figures;
    figures.readings = int(readings.size());
    double sum = 0;
    for (const QString &reading : readings) {
        double value = 0;
        int decimals = 0;
        if (!parseReading(reading, value, decimals))
            continue;
        if (figures.numbers == 0) {
            figures.minimum = figures.maximum = value;
        } else {
            figures.minimum = std::min(figures.minimum, value);
            figures.maximum = std::max(figures.maximum, value);
        }
        ++figures.numbers;
        sum += value;
        figures.decimals = std::max(figures.decimals, decimals);
    }
    if (figures.numbers > 0)
        figures.mean = sum / figures.numbers;
    return figures;
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
