#include "device/lineframer.h"

#include <algorithm>
#include <cstring>
#include <utility>

QList<QByteArray> LineFramer::feed(const QByteArray &delivery)
{
    QList<QByteArray> lines;
    QByteArray bytes = delivery;
    if (bytes.contains('\0'))
        bytes.removeIf([](char byte) { return byte == '\0'; });

    const char *next = bytes.constData();
    const char *const end = next + bytes.size();
    if (lineFeedEndsNothing && next != end) {
        lineFeedEndsNothing = false;
        if (*next == '\n')
            ++next;
    }

    while (next != end) {
        const auto *lineFeed =
            static_cast<const char *>(std::memchr(next, '\n', size_t(end - next)));
        const char *const stop = lineFeed ? lineFeed : end;
        appendToTail(next, stop - next, lines);
        if (!lineFeed)
            break;
        if (tail.endsWith('\r'))
            tail.chop(1);
        lines.append(std::exchange(tail, QByteArray()));
        next = lineFeed + 1;
    }
    return lines;
}

void LineFramer::appendToTail(const char *bytes, qsizetype count, QList<QByteArray> &lines)
{
    while (count > 0) {
        if (tail.size() == maxTailBytes)
            lines.append(std::exchange(tail, QByteArray()));
        const qsizetype taken = std::min(count, maxTailBytes - tail.size());
        tail.append(bytes, taken);
        bytes += taken;
        count -= taken;
    }
}

std::optional<QByteArray> LineFramer::takeTail()
{
    if (tail.isEmpty())
        return std::nullopt;
    QByteArray line = std::exchange(tail, QByteArray());
    if (line.endsWith('\r')) {
        line.chop(1);
        lineFeedEndsNothing = true;
    }
    return line;
}
