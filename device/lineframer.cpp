#include "device/lineframer.h"

QList<QByteArray> LineFramer::feed(const QByteArray &delivery)
{
    QList<QByteArray> lines;
    for (const char byte : delivery) {
        if (byte == '\0')
            continue;
        if (byte == '\n') {
            if (tail.endsWith('\r'))
                tail.chop(1);
            lines.append(tail);
            tail.clear();
            continue;
        }
        tail.append(byte);
        // A carriage return at the bound may still be the first half of a line end.
        if (tail.size() >= maxTailBytes && byte != '\r') {
            lines.append(tail);
            tail.clear();
        }
    }
    return lines;
}

std::optional<QByteArray> LineFramer::takeTail()
{
    if (tail.isEmpty())
        return std::nullopt;
    QByteArray line;
    line.swap(tail);
    return line;
}
