// Reads arbitrary files as files of changes. Nothing may crash, and what was read must survive
// being saved and read again unchanged: whatever the reader accepts, the writer keeps.

#include "records/changefile.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

namespace {

ChangeFileContent readBytes(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return readChangeFile(buffer, ChangeFilePrefixes::untranslated());
}

QByteArray saveBytes(const ChangeFileContent &content)
{
    QByteArray saved;
    QBuffer buffer(&saved);
    buffer.open(QIODevice::WriteOnly);
    if (!writeChangeFile(buffer, content, ChangeFilePrefixes::untranslated()))
        std::abort();
    return saved;
}

bool validText(const ChangeFileContent &content)
{
    QStringList texts = { content.object, content.inspector, content.deviceName,
                          content.serialNumber };
    for (auto group = content.measurements.cbegin(); group != content.measurements.cend(); ++group)
        texts << group.key() << group.value();
    for (const QString &text : std::as_const(texts)) {
        if (!text.isValidUtf16())
            return false;
    }
    return true;
}

bool sameContent(const ChangeFileContent &a, const ChangeFileContent &b)
{
    return a.object == b.object && a.inspector == b.inspector && a.dateTime == b.dateTime
        && a.deviceName == b.deviceName && a.serialNumber == b.serialNumber
        && a.measurements == b.measurements;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ChangeFileContent first =
        readBytes(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    // A file in UTF-16 with broken surrogate pairs cannot be kept as it was: no encoding holds a
    // lone surrogate. What the first save makes of it must then survive unchanged.
    if (!validText(first))
        first = readBytes(saveBytes(first));

    if (!sameContent(first, readBytes(saveBytes(first))))
        std::abort();
    return 0;
}
