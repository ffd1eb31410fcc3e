#include "records/transferarchive.h"

#include "records/changefile.h"
#include "files/stagedfile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cerrno>

QString defaultTransferArchiveFolder()
{
    // The program's own data folder by its name alone: the application data location would also
    // hold the organization's name, which the settings need. A relative base folder
    // (XDG_DATA_HOME) is to be ignored, which the toolkit does not do: the transfers would be kept
    // wherever the program happened to start.
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir(base).filePath(QCoreApplication::applicationName() + QStringLiteral("/transfers"));
}

QString transferArchiveName(const QDateTime &when, const QString &serialNumber, bool cutOff)
{
    // Blanks, path separators, the characters other systems forbid, and control characters; a
    // received line may hold anything.
    static const QRegularExpression unfit(QStringLiteral("[\\s/\\\\:*?\"<>|\\x00-\\x1f\\x7f]+"));
    // A serial-number line is short; a runaway line must not make a name the system refuses.
    constexpr qsizetype longestSerial = 64;
    QString serial = QString(serialNumber).replace(unfit, QStringLiteral("-"));
    serial = serial.left(longestSerial);
    while (serial.startsWith(QLatin1Char('-')) || serial.startsWith(QLatin1Char('.')))
        serial.remove(0, 1);
    while (serial.endsWith(QLatin1Char('-')) || serial.endsWith(QLatin1Char('.')))
        serial.chop(1);

    QString name = when.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    if (!serial.isEmpty())
        name += QLatin1Char('_') + serial;
    if (cutOff)
        name += QStringLiteral("_cut-off");
    return name + QStringLiteral(".csv");
}

TransferArchiveResult keepTransfer(const QString &folder, const Control &content,
                                   bool cutOff)
{
    TransferArchiveResult result;
    QDir dir(folder);
    errno = 0;
    if (!dir.mkpath(QStringLiteral("."))) {
        // The toolkit leaves the reason of the folder's creation that failed.
        result.error = errno
            ? qt_error_string(errno)
            : QCoreApplication::translate("MainWindow", "The folder could not be created.");
        return result;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    StagedFile staged;
    if (!buffer.open(QIODevice::WriteOnly) || !writeChangeFile(buffer, content)
        || !staged.write(folder, bytes)) {
        result.error = staged.error();
        return result;
    }
    // Another copy of the program may keep a transfer of the same second and serial number at
    // the same moment: each name is taken only where no file has it, else the next is tried.
    const QString name = transferArchiveName(content.dateTime, content.serialNumber, cutOff);
    QString path = dir.filePath(name);
    for (int copy = 2;; ++copy) {
        bool taken = false;
        if (staged.placeAsNew(path, &taken)) {
            result.kept = true;
            result.filePath = path;
            return result;
        }
        if (!taken) {
            result.error = staged.error();
            return result;
        }
        path = dir.filePath(QStringLiteral("%1_%2.csv").arg(name.chopped(4)).arg(copy));
    }
}
