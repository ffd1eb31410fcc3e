#include "files/optionalfile.h"

#include "files/regularfile.h"

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

QString optionalPagePath(const QString &fileName, const QLocale &locale)
{
    if (isRegularFileWithin(fileName, maxOptionalFileBytes))
        return fileName;
    const QDir installed(installedDataFolder());
    // "ru-RU", then "ru": the languages the locale accepts, most specific first, as the
    // translator looks them up.
    for (QString language : locale.uiLanguages()) {
        language.replace(QLatin1Char('-'), QLatin1Char('_'));
        const QString page = installed.filePath(language + QLatin1Char('/') + fileName);
        if (isRegularFileWithin(page, maxOptionalFileBytes))
            return page;
    }
    return optionalFilePath(fileName);
}
