#pragma once

#include "records/control.h"

#include <QString>

#include <functional>

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

// Told how far a reading has come, in bytes of its device, after each line; it stops between two
// lines when this returns false.
using ChangeFileProgress = std::function<bool(qint64 bytesRead)>;

// The system's encoding (UTF-8), in which files are written, or the code page in which the
// earlier Windows program wrote them on Russian systems.
enum class ChangeFileEncoding { System, Windows1251 };

// Reads a file from an open device. The first five lines are taken as the header whatever they
// hold; missing lines count as empty. CR LF, LF, CR alone and CR CR LF each end a line. A reading
// that its progress stops ends between two lines.
Control readChangeFile(QIODevice &device,
                       const ChangeFilePrefixes &prefixes = ChangeFilePrefixes::current(),
                       const ChangeFileProgress &progress = {},
                       ChangeFileEncoding encoding = ChangeFileEncoding::System);

// The object or inspector text of a header line: the prefix in use when the line starts with it,
// else the untranslated one, else a fixed count of characters is dropped.
QString stripChangeFilePrefix(const QString &line, const QString &prefixInUse,
                              const QString &untranslatedPrefix, qsizetype fixedCount);
