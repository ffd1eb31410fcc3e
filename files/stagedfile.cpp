#include "files/stagedfile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

StagedFile::~StagedFile()
{
    if (fd >= 0)
        ::close(fd);
    if (!temporaryPath.isEmpty())
        ::unlink(temporaryPath.constData());
}

bool StagedFile::fail(int error)
{
    reason = qt_error_string(error);
    return false;
}

bool StagedFile::write(const QString &folder, const QByteArray &contents)
{
    // A name made here rather than by mkstemp, so that the file gets the mode the user's umask
    // gives every new file. A dot keeps it out of the file dialogs' listings while it is written.
    const QByteArray stem = QFile::encodeName(QDir(folder).filePath(QStringLiteral(".tolvaren-")));
    for (int attempt = 0; fd < 0; ++attempt) {
        const QByteArray path =
            stem + QByteArray::number(QRandomGenerator::global()->generate64(), 36) + ".tmp";
        fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            temporaryPath = path;
        else if (errno != EEXIST || attempt == 100)
            return fail(errno);
    }
    for (qsizetype done = 0; done < contents.size();) {
        const ssize_t written =
            ::write(fd, contents.constData() + done, size_t(contents.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        // A write that takes nothing has run out of room without an error of its own.
        if (written <= 0)
            return fail(written < 0 ? errno : ENOSPC);
        done += written;
    }
    // On disk before it takes the name: a crash then leaves the whole old file or the whole new
    // one.
    return ::fsync(fd) == 0 || fail(errno);
}

bool StagedFile::finishWriting()
{
    // Some file systems tell a failed write back only when the file is closed.
    const int closing = std::exchange(fd, -1);
    return closing < 0 || ::close(closing) == 0 || fail(errno);
}

bool StagedFile::replace(const QString &path)
{
    if (!finishWriting())
        return false;
    if (::rename(temporaryPath.constData(), QFile::encodeName(path).constData()) != 0)
        return fail(errno);
    temporaryPath.clear();
    return true;
}

bool StagedFile::placeAsNew(const QString &path, bool *taken)
{
    *taken = false;
    if (!finishWriting())
        return false;
    const QByteArray target = QFile::encodeName(path);
    if (::renameat2(AT_FDCWD, temporaryPath.constData(), AT_FDCWD, target.constData(),
                    RENAME_NOREPLACE)
        == 0) {
        temporaryPath.clear();
        return true;
    }
    // A file system without the exclusive rename: a second name for the file, which the system
    // also gives only where no file has it; the temporary name then goes.
    if ((errno == EINVAL || errno == ENOSYS)
        && ::link(temporaryPath.constData(), target.constData()) == 0)
        return true;
    *taken = errno == EEXIST;
    return fail(errno);
}
