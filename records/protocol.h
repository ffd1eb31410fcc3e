#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// What a control protocol reports, as it stands at the moment of printing.
struct ProtocolInputs
{
    QString deviceName;
    QString serialNumber;
    QString object;
    QString date; // as the date field displays it
    QString inspector;
    QMap<QString, QStringList> measurements;
};

// The printed control protocol as one HTML text: the heading, the instrument and the fields, then
// the measurements in tables of at most ten groups each.
QString buildProtocol(const ProtocolInputs &inputs);
