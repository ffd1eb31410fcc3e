// Reads arbitrary files as files of changes. Nothing may crash, and what was read must survive
// being saved and read again unchanged: whatever the reader accepts, the writer keeps.

#include "records/changefile.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

namespace {

Control readBytes(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return readChangeFile(buffer, ChangeFilePrefixes::untranslated());
}

QByteArray saveBytes(const Control &content)
{
    QByteArray saved;
    QBuffer buffer(&saved);
    buffer.open(QIODevice::WriteOnly);
    if (!writeChangeFile(buffer, content, ChangeFilePrefixes::untranslated()))
        std::abort();
    return saved;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A file in UTF-16 with broken surrogate pairs cannot be kept as it was: no encoding holds a
    // lone surrogate. So what the first save makes of the file must survive unchanged.
    const QByteArray saved =
        saveBytes(readBytes(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size))));
    if (saveBytes(readBytes(saved)) != saved)
        std::abort();
    return 0;
}
