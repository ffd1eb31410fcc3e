#include "device/portaccess.h"

#include <QFile>

#include <fcntl.h>
#include <unistd.h>

QString serialDevicePath(const QString &portName)
{
    return portName.startsWith(QLatin1Char('/')) ? portName : QStringLiteral("/dev/") + portName;
}

bool isNoTerminal(const QString &devicePath)
{
    const int fd = ::open(QFile::encodeName(devicePath).constData(),
                          O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool terminal = ::isatty(fd);
    ::close(fd);
    return !terminal;
}

bool mayReadAndWrite(const QString &devicePath)
{
    return ::access(QFile::encodeName(devicePath).constData(), R_OK | W_OK) == 0;
}
