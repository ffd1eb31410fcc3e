#include "app/optionalfile.h"

#include "app/regularfile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QImageReader>

QString installedDataFolder()
{
    // Relative to the program file, so that an installation under any prefix finds its own data.
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../")
                           + QStringLiteral(TOLVAREN_DATA_SUBDIR));
}

QString optionalFilePath(const QString &fileName)
{
    for (const QString &candidate : { fileName, QDir(installedDataFolder()).filePath(fileName) }) {
        if (isRegularFileWithin(candidate, maxOptionalFileBytes))
            return candidate;
    }
    return QString();
}

QImage imageFromBytes(const QByteArray &bytes)
{
    // A small compressed file can claim a picture of gigabytes; its size is known before decoding.
    constexpr qint64 maxPixels = 4096 * 4096;
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() > maxPixels)
        return QImage();
    return reader.read();
}
