#include "app/regularfile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

RegularFileContents refused(RegularFileContents::Status status, int error = 0)
{
    RegularFileContents contents;
    contents.status = status;
    if (error)
        contents.systemError = qt_error_string(error);
    return contents;
}

RegularFileContents::Status judge(const struct stat &info, qint64 maxBytes)
{
    if (!S_ISREG(info.st_mode))
        return RegularFileContents::NotRegular;
    return info.st_size > maxBytes ? RegularFileContents::TooLarge : RegularFileContents::Read;
}

} // namespace

bool isRegularFileWithin(const QString &path, qint64 maxBytes)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0
        && judge(info, maxBytes) == RegularFileContents::Read;
}

RegularFileContents readRegularFile(const QString &path, qint64 maxBytes)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info;
    if (::stat(name.constData(), &info) != 0)
        return refused(
            errno == ENOENT ? RegularFileContents::NotFound : RegularFileContents::Failed, errno);
    if (const auto status = judge(info, maxBytes); status != RegularFileContents::Read)
        return refused(status);

    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return refused(RegularFileContents::Failed, errno);
    RegularFileContents contents;
    if (::fstat(fd, &info) != 0) {
        contents = refused(RegularFileContents::Failed, errno);
    } else if (const auto status = judge(info, maxBytes); status != RegularFileContents::Read) {
        contents = refused(status);
    } else {
        contents.status = RegularFileContents::Read;
        // One byte more than allowed tells a file that grew since it was measured.
        contents.bytes.resize(qsizetype(std::min<qint64>(info.st_size, maxBytes) + 1));
        qsizetype filled = 0;
        while (filled < contents.bytes.size()) {
            const ssize_t got =
                ::read(fd, contents.bytes.data() + filled, size_t(contents.bytes.size() - filled));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                contents = refused(RegularFileContents::Failed, errno);
                break;
            }
            if (got == 0)
                break;
            filled += got;
            if (filled == contents.bytes.size() && filled <= maxBytes)
                contents.bytes.resize(std::min<qsizetype>(filled * 2, qsizetype(maxBytes) + 1));
        }
        if (contents.isRead()) {
            contents.bytes.truncate(filled);
            if (filled > maxBytes)
                contents = refused(RegularFileContents::TooLarge);
        }
    }
    ::close(fd);
    return contents;
}
