#pragma once

#include "records/control.h"

#include <QString>

#include <atomic>

class QIODevice;

// The texts that open the object and inspector lines.
struct ChangeFilePrefixes
{
    QString object;
    QString inspector;

    // As the translation in use spells them ("MainWindow" context).
    static ChangeFilePrefixes current();
    // As written without a translation.
    static ChangeFilePrefixes untranslated();
};

// Writes the whole file to an open device. Returns false when the stream reports a failure; the
// device's own errorString() then says why.
bool writeChangeFile(QIODevice &device, const Control &content,
                     const ChangeFilePrefixes &prefixes = ChangeFilePrefixes::current());

// Shared with a reading on another thread: how far it has come, and whether it is to stop.
struct ChangeFileReading
{
    std::atomic<qint64> bytesRead { 0 };
    std::atomic<qint64> bytesInAll { 0 };
    std::atomic<bool> cancelled { false };
};

// The system's encoding (UTF-8), in which files are written, or the code page in which the
// earlier Windows program wrote them on Russian systems.
enum class ChangeFileEncoding { System, Windows1251 };

// Reads a file from an open device. The first five lines are taken as the header whatever they
// hold; missing lines count as empty. CR LF, LF, CR alone and CR CR LF each end a line. A reading
// that is cancelled stops between two lines.
Control readChangeFile(QIODevice &device,
                       const ChangeFilePrefixes &prefixes = ChangeFilePrefixes::current(),
                       ChangeFileReading *reading = nullptr,
                       ChangeFileEncoding encoding = ChangeFileEncoding::System);

// The object or inspector text of a header line: the prefix in use when the line starts with it,
// else the untranslated one, else a fixed count of characters is dropped.
QString stripChangeFilePrefix(const QString &line, const QString &prefixInUse,
                              const QString &untranslatedPrefix, qsizetype fixedCount);
