#pragma once

#include <QByteArray>
#include <QString>

// A file's contents written whole and synced under a temporary name in the folder they are meant
// for, before they take their name: no reader ever sees a file half written, and a failure leaves
// the folder as it was. Every failure keeps the system's own reason.
class StagedFile
{
public:
    StagedFile() = default;
    ~StagedFile(); // removes the temporary file unless it took its name
    Q_DISABLE_COPY(StagedFile)

    // False when the contents could not be written whole into a new file of the folder.
    bool write(const QString &folder, const QByteArray &contents);
    // The written file, still open, for its owner and mode to be set before it takes its name.
    int handle() const { return fd; }
    // The file takes the name, replacing whatever had it.
    bool replace(const QString &path);
    // The file takes the name only where no file has it, in one step of the system's, so that
    // nothing made meanwhile by anyone else is ever replaced. *taken says when that was the cause.
    bool placeAsNew(const QString &path, bool *taken);
    QString error() const { return reason; }

private:
    bool fail(int error);
    bool finishWriting();

    QByteArray temporaryPath;
    int fd = -1;
    QString reason;
};
