// Feeds arbitrary bytes, cut into arbitrary deliveries, through the receive path: framing,
// decoding and line interpretation. The lines must not depend on where the deliveries were cut,
// and no line may outgrow the framer's bound.

#include "device/instrumenttext.h"
#include "device/lineframer.h"
#include "device/transferline.h"

#include <QCoreApplication>
#include <QMap>
#include <QStringList>

#include <cstdint>
#include <cstdlib>

namespace {

QList<QByteArray> frameAll(const QByteArray &bytes, const QList<qsizetype> &cuts)
{
    LineFramer framer;
    QList<QByteArray> lines;
    qsizetype from = 0;
    for (const qsizetype cut : cuts) {
        lines += framer.feed(bytes.mid(from, cut - from));
        from = cut;
    }
    lines += framer.feed(bytes.mid(from));
    if (auto tail = framer.takeTail())
        lines.append(*tail);
    return lines;
}

// The store as the window keeps it, filled from the interpreted lines.
QMap<QString, QStringList> storeOf(const QList<QByteArray> &lines)
{
    static const TransferMarkers markers = [] {
        TransferMarkers english;
        english.device = QStringLiteral("DEVICE");
        english.serial = QStringLiteral("SN");
        english.group = QStringLiteral("GROUP");
        english.groupSeparator = QStringLiteral("#");
        english.end = QStringLiteral("END");
        return english;
    }();
    QMap<QString, QStringList> store;
    for (const QByteArray &line : lines) {
        const QString text = decodeInstrumentText(line);
        const TransferLine kind = interpretLine(text, markers);
        if (kind.isSerial)
            store.clear();
        if (kind.isGroup)
            store[kind.groupName].append(kind.value);
    }
    return store;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    // The first byte chooses where the deliveries are cut.
    unsigned state = data[0] * 2654435761u + 1;
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    QList<qsizetype> cuts;
    for (qsizetype at = 0;;) {
        state = state * 1103515245u + 12345u;
        at += 1 + qsizetype((state >> 16) % 97);
        if (at >= bytes.size())
            break;
        cuts.append(at);
    }

    const QList<QByteArray> whole = frameAll(bytes, {});
    const QList<QByteArray> split = frameAll(bytes, cuts);
    if (whole != split)
        std::abort();
    for (const QByteArray &line : whole) {
        if (line.size() > LineFramer::maxTailBytes || line.contains('\0'))
            std::abort();
    }
    if (storeOf(whole) != storeOf(split))
        std::abort();
    return 0;
}
