#include "records/transferarchive.h"

#include "records/changefile.h"
#include "records/safesave.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

QString defaultTransferArchiveFolder()
{
    // The program's own data folder by its name alone: the application data location would also
    // hold the organization's name, which the settings need.
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QCoreApplication::applicationName() + QStringLiteral("/transfers"));
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

TransferArchiveResult keepTransfer(const QString &folder, const ChangeFileContent &content,
                                   bool cutOff)
{
    TransferArchiveResult result;
    QDir dir(folder);
    if (!dir.mkpath(QStringLiteral("."))) {
        result.error =
            QCoreApplication::translate("MainWindow", "The folder could not be created.");
        return result;
    }
    const QString name = transferArchiveName(content.dateTime, content.serialNumber, cutOff);
    const QString stem = name.chopped(4);
    QString path = dir.filePath(name);
    for (int copy = 2; QFileInfo::exists(path) || QFileInfo(path).isSymLink(); ++copy)
        path = dir.filePath(QStringLiteral("%1_%2.csv").arg(stem).arg(copy));

    // Through the one safe writer, which notices a full disk that the toolkit's own commit would
    // report as success with an empty file.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (buffer.open(QIODevice::WriteOnly) && writeChangeFile(buffer, content)
        && saveFileSafely(path, bytes, &result.error)) {
        result.kept = true;
        result.filePath = path;
    }
    return result;
}
