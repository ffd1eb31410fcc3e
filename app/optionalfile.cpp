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
