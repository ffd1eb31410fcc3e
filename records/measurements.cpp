#include "records/measurements.h"

Readings::Readings(std::initializer_list<QString> readings)
    : Readings(QStringList(readings))
{ }

Readings::Readings(const QStringList &readings)
{
    for (const QString &reading : readings)
        append(reading);
}

QStringView Readings::at(qsizetype i) const
{
    const qsizetype start = i == 0 ? 0 : ends.at(i - 1);
    return QStringView(text).sliced(start, ends.at(i) - start);
}

void Readings::append(QStringView reading)
{
    text.append(reading);
    ends.append(text.size());
}
