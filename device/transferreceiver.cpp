#include "device/transferreceiver.h"

#include "device/instrumenttext.h"
#include "device/transferline.h"

#include <QDateTime>
#include <QDebug>

bool TransferReceiver::receive(const QByteArray &delivery)
{
    qDebug() << "Readed: " << delivery.size() << " bytes";
    const QList<QByteArray> lines = framer.feed(delivery);
    const TransferMarkers markers = TransferMarkers::current();
    for (const QByteArray &line : lines)
        handleLine(decodeInstrumentText(line), markers);
    return !lines.isEmpty();
}

bool TransferReceiver::finishLine()
{
    const auto tail = framer.takeTail();
    if (tail)
        handleLine(decodeInstrumentText(*tail), TransferMarkers::current());
    return tail.has_value();
}

void TransferReceiver::cutOff()
{
    finishLine();
    if (const auto cut = transfer.close(QDateTime::currentDateTime()))
        handlers.cutOff(*cut);
}

void TransferReceiver::handleLine(const QString &line, const TransferMarkers &markers)
{
    qDebug() << "input: " << line;
    const TransferLine kind = interpretLine(line, markers);
    if (kind.isDevice)
        transfer.takeDeviceLine(line);
    if (kind.isSerial) {
        if (const auto cut = transfer.open(line, QDateTime::currentDateTime()))
            handlers.cutOff(*cut);
        handlers.opened();
    }
    if (kind.isGroup)
        transfer.addReading(kind.groupName, kind.value);
    if (kind.isEnd) {
        if (const auto ended = transfer.close(QDateTime::currentDateTime()))
            handlers.ended(*ended);
        qDebug() << markers.end;
    }
}
