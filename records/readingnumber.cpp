#include "records/readingnumber.h"

#include <QVarLengthArray>

#include <charconv>

std::optional<ReadingNumber> readingNumber(QStringView reading)
{
    QVarLengthArray<char, 32> plain;
    ReadingNumber number;
    qsizetype digits = 0;
    bool separated = false;
    for (qsizetype i = 0; i < reading.size(); ++i) {
        const char16_t c = reading.at(i).unicode();
        if (c >= u'0' && c <= u'9') {
            ++digits;
            number.decimals += separated ? 1 : 0;
            if (number.significantDigits > 0 || c != u'0')
                ++number.significantDigits;
            plain.append(char(c));
        } else if ((c == u'.' || c == u',') && !separated) {
            separated = true;
            plain.append('.');
        } else if ((c == u'-' || c == u'+') && i == 0) {
            if (c == u'-')
                plain.append('-');
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0)
        return std::nullopt;
    // Too many digits for a double give a range error: such a reading stays text.
    const auto [end, error] =
        std::from_chars(plain.data(), plain.data() + plain.size(), number.value);
    if (error != std::errc() || end != plain.data() + plain.size())
        return std::nullopt;
    return number;
}
