#include "app/optionalfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString installedDataFolder()
{
    // Relative to the program file, so that an installation under any prefix finds its own data.
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../")
                           + QStringLiteral(TOLVAREN_DATA_SUBDIR));
}

QString optionalFilePath(const QString &fileName)
{
    if (QFileInfo::exists(fileName))
        return fileName;
    const QString installed = QDir(installedDataFolder()).filePath(fileName);
    if (QFileInfo::exists(installed))
        return installed;
    // Neither exists: the relative name, so that a message names the file the operator expects.
    return fileName;
}

QString optionalPagePath(const QString &fileName, const QLocale &locale)
{
    if (QFileInfo::exists(fileName))
        return fileName;
    const QDir installed(installedDataFolder());
    // "ru-RU", then "ru": the languages the locale accepts, most specific first, as the
    // translator looks them up.
    for (QString language : locale.uiLanguages()) {
        language.replace(QLatin1Char('-'), QLatin1Char('_'));
        const QString page = installed.filePath(language + QLatin1Char('/') + fileName);
        if (QFileInfo::exists(page))
            return page;
    }
    return optionalFilePath(fileName);
}
