#pragma once

#include <QByteArray>
#include <QString>

// The contents of a file that the program may read without harm: a regular file of bounded size.
// A FIFO, a device or a folder is refused before it is opened, so nothing blocks on it or reads
// without end; the file is opened without blocking and checked again once open, so one swapped in
// between is refused too.
struct RegularFileContents
{
    enum Status { Read, NotFound, NotRegular, TooLarge, Failed };

    Status status = NotFound;
    QByteArray bytes;
    QString systemError; // the system's reason when the file could not be opened or read

    bool isRead() const { return status == Read; }
};

RegularFileContents readRegularFile(const QString &path, qint64 maxBytes);

// Whether the path names a regular file (after symbolic links) of at most maxBytes, without
// opening it.
bool isRegularFileWithin(const QString &path, qint64 maxBytes);
