#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>

// The figures a spreadsheet shows for selected cells: how many readings, and over those that are
// numbers the minimum, the maximum and the mean. Readings that are not numbers ("0.98 mm",
// "over") count but take no part in the figures.
struct SelectionFigures
{
    int readings = 0;
    int numbers = 0;
    double minimum = 0;
    double maximum = 0;
    double mean = 0;
    double sum = 0;
    // Digits after the decimal separator of the most precise number, so that the figures are
    // shown as precisely as the readings were taken.
    int decimals = 0;

    // Counts one more selected reading.
    void add(QStringView reading);
    // One line for the status bar, in the locale's number format; empty without readings.
    QString text(const QLocale &locale = QLocale()) const;
};
