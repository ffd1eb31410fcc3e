#include "records/safesave.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The new file takes the old one's place in its group, so that the rest of the group keeps its
// access; the owner only where the process may give files away, and not in a folder with the
// sticky bit, where a file given away could no longer be removed if it failed to take the old
// one's place. The mode comes last, as a change of owner clears the set-id bits.
void keepOwnershipAndMode(int fd, const struct stat &old, bool stickyFolder)
{
    const uid_t owner = stickyFolder ? uid_t(-1) : old.st_uid;
    if (::fchown(fd, owner, old.st_gid) != 0 && ::fchown(fd, uid_t(-1), old.st_gid) != 0) {
        // Neither may be given: the new file stays the process's own, the best that can be done.
    }
    ::fchmod(fd, old.st_mode & 07777);
}

} // namespace

bool saveFileSafely(const QString &fileName, const QByteArray &contents, QString *errorString)
{
    struct stat old;
    const bool exists = ::stat(QFile::encodeName(fileName).constData(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) {
        *errorString = QCoreApplication::translate(
            "MainWindow", "It is not a regular file, so it is not replaced.");
        return false;
    }

    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        *errorString = file.errorString();
        return false;
    }
    if (exists) {
        // The folder of the file itself, after symbolic links, as the toolkit replaces that one.
        const QString folder = QFileInfo(QFileInfo(fileName).canonicalFilePath()).absolutePath();
        struct stat folderInfo;
        const bool sticky = ::stat(QFile::encodeName(folder).constData(), &folderInfo) != 0
            || (folderInfo.st_mode & S_ISVTX);
        keepOwnershipAndMode(file.handle(), old, sticky);
    }
    // Each step is checked as it happens: the toolkit forgets a failed flush by the time it
    // commits, and would then put an empty file in the old one's place.
    if (file.write(contents) != contents.size() || !file.flush()) {
        *errorString = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *errorString = file.errorString();
        return false;
    }
    return true;
}
