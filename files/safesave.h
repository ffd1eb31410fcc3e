#pragma once

#include <QByteArray>
#include <QString>

// Writes a file so that what stood there before is never lost: an existing file is replaced only
// by a complete new one, which keeps the old file's group, mode and, where the process may set it,
// owner. Only a regular file is ever replaced; a FIFO, a device or anything else at the name is
// refused. Returns false with the reason, the system's own where it gave one, when the file was
// not written; the old file then stands as it was.
bool saveFileSafely(const QString &fileName, const QByteArray &contents, QString *errorString);
