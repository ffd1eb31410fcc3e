#pragma once

#include <QStringView>

#include <optional>

// A reading that is a plain decimal number as instruments write them: an optional sign, digits,
// and at most one decimal point or comma. Exponents, group separators, blanks and words such as
// "inf" are no readings of a measuring instrument, so such a reading is text.
struct ReadingNumber
{
    double value = 0;
    int decimals = 0; // digits after the separator, as written
    int significantDigits = 0; // all digits but leading zeros
};

// Checked character by character: a selection or a spreadsheet may hold millions of readings.
std::optional<ReadingNumber> readingNumber(QStringView reading);
