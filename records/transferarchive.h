#pragma once

#include <QString>

class QDateTime;
struct Control;

// Every transfer that ends, and every one that is cut off, is kept as a file of changes in a folder
// of the user's data, without a question, so that readings never saved by hand are not lost when
// the next transfer or a Read replaces them.

// The folder "transfers" in the program's data folder of this user.
QString defaultTransferArchiveFolder();

// "2026-12-07_14-03-09_SN-00517.csv": the transfer's date and time, then its serial-number line
// with the characters that file names cannot hold (and blanks) replaced by "-"; "_cut-off" before
// the suffix for a transfer that did not end.
QString transferArchiveName(const QDateTime &when, const QString &serialNumber, bool cutOff);

struct TransferArchiveResult
{
    bool kept = false;
    QString filePath; // the file written
    QString error; // the system's reason when nothing was written
};

// Writes the transfer whole into the folder, creating the folder when needed. A file of the
// same name is never replaced: the name gets a number instead.
TransferArchiveResult keepTransfer(const QString &folder, const Control &content,
                                   bool cutOff);
