#include "app/translationcheck.h"

#include <QByteArray>
#include <QtEndian>

#include <cstring>

namespace {

enum Block : uchar { Contexts = 0x2f, Hashes = 0x42, Messages = 0x69, Dependencies = 0x96 };
enum MessageTag : uchar { End = 1, Translation = 3, Obsolete1 = 5, SourceText, Context, Comment };

const uchar magic[16] = { 0x3c, 0xb8, 0x64, 0x18, 0xca, 0xef, 0x9c, 0x95,
                          0xcd, 0x21, 0x1c, 0xbf, 0x60, 0xa1, 0xbd, 0xdd };

struct Span
{
    const uchar *data = nullptr;
    quint32 size = 0;
};

// The context table: a count of buckets, the buckets, then chains of length-prefixed names that
// each end with a zero length.
bool contextsHold(Span contexts)
{
    if (!contexts.size)
        return true;
    if (contexts.size < 2)
        return false;
    const quint32 buckets = qFromBigEndian<quint16>(contexts.data);
    if (!buckets || 2 + 2 * buckets > contexts.size)
        return false;
    for (quint32 bucket = 0; bucket < buckets; ++bucket) {
        const quint32 chain = qFromBigEndian<quint16>(contexts.data + 2 + 2 * bucket);
        if (!chain)
            continue;
        quint32 at = 2 + 2 * buckets + 2 * chain;
        for (;;) {
            if (at >= contexts.size)
                return false;
            const quint32 length = contexts.data[at++];
            if (!length)
                break;
            if (length > contexts.size - at)
                return false;
            at += length;
        }
    }
    return true;
}

// One message: tagged fields up to its end tag. The translator stops at an unknown tag, so the
// walk may too.
bool messageHolds(Span messages, quint32 at)
{
    while (at < messages.size) {
        const uchar tag = messages.data[at++];
        if (tag == End || tag < Translation || tag > Comment || tag == 4)
            return true;
        if (messages.size - at < 4)
            return false;
        const quint32 length = tag == Obsolete1 ? 0 : qFromBigEndian<quint32>(messages.data + at);
        at += 4;
        if (length > messages.size - at)
            return false;
        // The translator looks at a comment's first byte even when it is empty.
        if (tag == Comment && at == messages.size)
            return false;
        at += length;
    }
    return true;
}

} // namespace

bool isSoundTranslation(const QByteArray &qm)
{
    const auto *data = reinterpret_cast<const uchar *>(qm.constData());
    const quint32 size = quint32(qm.size());
    if (size < sizeof magic || std::memcmp(data, magic, sizeof magic) != 0)
        return false;

    Span contexts, hashes, messages;
    quint32 at = sizeof magic;
    while (size - at > 5) {
        const uchar tag = data[at];
        const quint32 length = qFromBigEndian<quint32>(data + at + 1);
        at += 5;
        if (!tag || !length)
            break;
        if (length > size - at)
            return false;
        const Span block { data + at, length };
        if (tag == Contexts)
            contexts = block;
        else if (tag == Hashes)
            hashes = block;
        else if (tag == Messages)
            messages = block;
        else if (tag == Dependencies)
            return false;
        at += length;
    }

    if (!contextsHold(contexts) || hashes.size % 8 != 0)
        return false;
    for (quint32 entry = 0; entry < hashes.size; entry += 8) {
        const quint32 offset = qFromBigEndian<quint32>(hashes.data + entry + 4);
        if (offset > messages.size || !messageHolds(messages, offset))
            return false;
    }
    return true;
}
