// Feeds arbitrary bytes, cut into arbitrary deliveries, through the framer. The lines must not
// depend on where the deliveries were cut, and no line may outgrow the framer's bound or keep a
// zero byte.

#include "device/lineframer.h"

#include <cstdint>
#include <cstdlib>

namespace {

// The lines of the bytes delivered whole, or cut into deliveries where the state leads.
QList<QByteArray> frame(const QByteArray &bytes, unsigned state, bool cut)
{
    LineFramer framer;
    QList<QByteArray> lines;
    for (qsizetype at = 0, size; at < bytes.size(); at += size) {
        state = state * 1103515245u + 12345u;
        size = cut ? 1 + qsizetype((state >> 16) % 97) : bytes.size();
        lines += framer.feed(bytes.mid(at, size));
    }
    if (auto tail = framer.takeTail())
        lines.append(*tail);
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    // The first byte chooses where the deliveries are cut.
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const QList<QByteArray> whole = frame(bytes, 0, false);
    if (whole != frame(bytes, data[0] * 2654435761u + 1, true))
        std::abort();
    for (const QByteArray &line : whole) {
        if (line.size() > LineFramer::maxTailBytes || line.contains('\0'))
            std::abort();
    }
    return 0;
}
