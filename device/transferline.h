#pragma once

#include <QString>

// The words of the instrument's transfer, as the translation in use spells them.
struct TransferMarkers
{
    QString device;
    QString serial;
    QString group;
    QString groupSeparator;
    QString end;

    // Looked up in the "MainWindow" translation context.
    static TransferMarkers current();
};

// What one line of the transfer asks for. A line may carry several markers, and gets every
// matching effect, in the order device, serial, group, end.
struct TransferLine
{
    bool isDevice = false;
    bool isSerial = false;
    bool isGroup = false;
    bool isEnd = false;
    QString groupName;
    QString value;
};

TransferLine interpretLine(const QString &line, const TransferMarkers &markers);

struct GroupSplit
{
    QString name;
    QString value;
};

// The group name runs up to the first blank at or after the group separator; the value is the
// rest. Without such a blank the whole line is both name and value.
GroupSplit splitGroupLine(const QString &line, const QString &groupSeparator);
