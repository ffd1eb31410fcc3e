#include "files/safesave.h"

#include "files/stagedfile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

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

    // A symbolic link stays: the file it leads to is the one replaced, in that file's folder.
    const QFileInfo target(exists ? QFileInfo(fileName).canonicalFilePath() : fileName);
    const QString folder = target.absolutePath();
    StagedFile staged;
    if (!staged.write(folder, contents)) {
        *errorString = staged.error();
        return false;
    }
    if (exists) {
        struct stat folderInfo;
        const bool sticky = ::stat(QFile::encodeName(folder).constData(), &folderInfo) != 0
            || (folderInfo.st_mode & S_ISVTX);
        keepOwnershipAndMode(staged.handle(), old, sticky);
    }
    if (!staged.replace(target.absoluteFilePath())) {
        *errorString = staged.error();
        return false;
    }
    return true;
}
