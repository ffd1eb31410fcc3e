#include "records/selectionfigures.h"

#include "records/readingnumber.h"

#include <QCoreApplication>

#include <algorithm>

void SelectionFigures::add(QStringView reading)
{
    ++readings;
    // Blanks around a number do not make it text here.
    const std::optional<ReadingNumber> number = readingNumber(reading.trimmed());
    if (!number)
        return;
    const double value = number->value;
    if (numbers == 0) {
        minimum = maximum = value;
    } else {
        minimum = std::min(minimum, value);
        maximum = std::max(maximum, value);
    }
    ++numbers;
    sum += value;
    mean = sum / numbers;
    decimals = std::max(decimals, number->decimals);
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
