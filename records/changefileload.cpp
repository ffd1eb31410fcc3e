#include "records/changefileload.h"

#include "files/regularfile.h"

#include <QBuffer>
#include <QCoreApplication>

ChangeFileLoad loadChangeFile(const QString &fileName, const ChangeFilePrefixes &prefixes,
                              ChangeFileReading *reading)
{
    ChangeFileLoad load;
    RegularFileContents file = readRegularFile(fileName, maxChangeFileBytes);
    switch (file.status) {
    case RegularFileContents::Read:
        // Text files hold no zero byte; a program, an image or a UTF-16 text would otherwise fill
        // the window with garbage.
        if (file.bytes.contains('\0')) {
            load.status = ChangeFileLoad::NotText;
        } else {
            QBuffer buffer(&file.bytes);
            buffer.open(QIODevice::ReadOnly);
            if (reading)
                reading->bytesInAll = file.bytes.size();
            // Files of the earlier program on Russian systems are in that system's code page.
            if (!QByteArrayView(file.bytes).isValidUtf8())
                load.encoding = ChangeFileEncoding::Windows1251;
            const auto goOn = [reading](qint64 bytesRead) {
                if (!reading)
                    return true;
                reading->bytesRead = bytesRead;
                return !reading->cancelled;
            };
            load.content = readChangeFile(buffer, prefixes, goOn, load.encoding);
            load.status =
                reading && reading->cancelled ? ChangeFileLoad::Cancelled : ChangeFileLoad::Read;
        }
        break;
    case RegularFileContents::NotRegular:
        load.status = ChangeFileLoad::NotRegular;
        break;
    case RegularFileContents::TooLarge:
        load.status = ChangeFileLoad::TooLarge;
        break;
    case RegularFileContents::NotFound:
    case RegularFileContents::Failed:
        load.status = ChangeFileLoad::Failed;
        load.systemError = file.systemError;
        break;
    }
    return load;
}

QString ChangeFileLoad::refusalReason() const
{
    switch (status) {
    case NotRegular:
        return QCoreApplication::translate("MainWindow", "It is not a regular file.");
    case TooLarge:
        return QCoreApplication::translate(
                   "MainWindow", "It is larger than %1 MiB, too large for a file of changes.")
            .arg(maxChangeFileBytes / (1024 * 1024));
    case NotText:
        return QCoreApplication::translate("MainWindow", "It is not a text file.");
    default:
        return systemError;
    }
}
