#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <initializer_list>

// The readings of one group in the order they came. They are kept as one text with the end of
// each reading in it, so that a reading costs its characters and one offset rather than a string
// of its own: a file of millions of one-character readings would otherwise take gigabytes.
// Copies share the text until one of them changes.
class Readings
{
public:
    Readings() = default;
    Readings(std::initializer_list<QString> readings);
    Readings(const QStringList &readings);

    qsizetype size() const { return ends.size(); }
    bool isEmpty() const { return ends.isEmpty(); }
    // Valid until this column next changes.
    QStringView at(qsizetype i) const;
    void append(QStringView reading);
    Readings &operator<<(QStringView reading)
    {
        append(reading);
        return *this;
    }

    class const_iterator
    {
    public:
        const_iterator(const Readings &readings, qsizetype i)
            : column(&readings)
            , index(i)
        { }
        QStringView operator*() const { return column->at(index); }
        const_iterator &operator++()
        {
            ++index;
            return *this;
        }
        bool operator==(const const_iterator &other) const { return index == other.index; }
        bool operator!=(const const_iterator &other) const { return index != other.index; }

    private:
        const Readings *column;
        qsizetype index;
    };
    const_iterator begin() const { return const_iterator(*this, 0); }
    const_iterator end() const { return const_iterator(*this, size()); }

    friend bool operator==(const Readings &left, const Readings &right)
    {
        return left.ends == right.ends && left.text == right.text;
    }
    friend bool operator!=(const Readings &left, const Readings &right) { return !(left == right); }

private:
    QString text;
    QList<qsizetype> ends; // where each reading ends in text
};

// The readings of a control by group name.
using Measurements = QMap<QString, Readings>;
