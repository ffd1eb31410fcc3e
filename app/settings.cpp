#include "app/settings.h"

#include <QFileInfo>

namespace {

const QString geometryKey = QStringLiteral("MainWindow/geometry");
const QString stateKey = QStringLiteral("MainWindow/state");
const QString readFolderKey = QStringLiteral("Folders/read");
const QString saveFolderKey = QStringLiteral("Folders/save");
const QString recentFilesKey = QStringLiteral("RecentFiles/files");
const QString archiveFolderKey = QStringLiteral("Archive/folder");

} // namespace

// By the program's own names rather than the application object's, so that the tests and tools,
// which run under other names, share the program's scheme.
ProgramSettings::ProgramSettings()
    : settings(QSettings::NativeFormat, QSettings::UserScope, QLatin1String(organization),
               QLatin1String(application))
{ }

QByteArray ProgramSettings::windowGeometry() const
{
    return settings.value(geometryKey).toByteArray();
}

void ProgramSettings::setWindowGeometry(const QByteArray &geometry)
{
    settings.setValue(geometryKey, geometry);
}

QByteArray ProgramSettings::windowState() const
{
    return settings.value(stateKey).toByteArray();
}

void ProgramSettings::setWindowState(const QByteArray &state)
{
    settings.setValue(stateKey, state);
}

QString ProgramSettings::readFolder() const
{
    return settings.value(readFolderKey).toString();
}

void ProgramSettings::setReadFolder(const QString &folder)
{
    settings.setValue(readFolderKey, folder);
}

QString ProgramSettings::saveFolder() const
{
    return settings.value(saveFolderKey).toString();
}

void ProgramSettings::setSaveFolder(const QString &folder)
{
    settings.setValue(saveFolderKey, folder);
}

QString ProgramSettings::archiveFolder() const
{
    return settings.value(archiveFolderKey).toString();
}

void ProgramSettings::setArchiveFolder(const QString &folder)
{
    settings.setValue(archiveFolderKey, folder);
}

QStringList ProgramSettings::recentFiles() const
{
    QStringList files = settings.value(recentFilesKey).toStringList();
    files.removeAll(QString());
    files.removeDuplicates();
    return files.mid(0, maxRecentFiles);
}

void ProgramSettings::addRecentFile(const QString &fileName)
{
    const QString path = QFileInfo(fileName).absoluteFilePath();
    QStringList files = recentFiles();
    files.removeAll(path);
    files.prepend(path);
    settings.setValue(recentFilesKey, files.mid(0, maxRecentFiles));
}

void ProgramSettings::clearRecentFiles()
{
    settings.remove(recentFilesKey);
}

bool ProgramSettings::write()
{
    settings.sync();
    return settings.status() == QSettings::NoError;
}
