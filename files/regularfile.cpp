#include "files/regularfile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

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
        QFile file;
        // One byte more than allowed tells a file that grew since it was measured.
        if (file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered)) {
            contents.status = RegularFileContents::Read;
            contents.bytes = file.read(std::min<qint64>(info.st_size, maxBytes) + 1);
            if (file.error() != QFileDevice::NoError)
                contents = refused(RegularFileContents::Failed);
            else if (contents.bytes.size() > maxBytes)
                contents = refused(RegularFileContents::TooLarge);
        } else {
            contents = refused(RegularFileContents::Failed);
        }
        if (contents.status == RegularFileContents::Failed)
            contents.systemError = file.errorString();
    }
    ::close(fd);
    return contents;
}
