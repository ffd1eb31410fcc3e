#pragma once

#include "records/changefile.h"

#include <atomic>

// Shared with a reading on another thread: how far it has come, and whether it is to stop.
struct ChangeFileReading
{
    std::atomic<qint64> bytesRead { 0 };
    std::atomic<qint64> bytesInAll { 0 };
    std::atomic<bool> cancelled { false };
};

// A file of changes read by name, or why it was not.
struct ChangeFileLoad
{
    enum Status { Read, NotRegular, TooLarge, NotText, Failed, Cancelled };

    Status status = Failed;
    QString systemError; // the system's reason when the file could not be opened or read
    // Windows-1251 for a file that is not valid UTF-8.
    ChangeFileEncoding encoding = ChangeFileEncoding::System;
    Control content;

    // Why a file that was not read was refused, in the operator's words.
    QString refusalReason() const;
};

// The largest file taken as a file of changes: far above any control, far below what would
// exhaust the machine's memory.
constexpr qint64 maxChangeFileBytes = 64 * 1024 * 1024;

// Reads a file of changes by name: only a regular file of at most maxChangeFileBytes that holds
// no zero byte, as Windows-1251 when it is not valid UTF-8. A FIFO or a device is refused before it
// is opened, so nothing blocks on it.
ChangeFileLoad loadChangeFile(const QString &fileName,
                              const ChangeFilePrefixes &prefixes = ChangeFilePrefixes::current(),
                              ChangeFileReading *reading = nullptr);
