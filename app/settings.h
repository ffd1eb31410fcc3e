#pragma once

#include <QSettings>
#include <QStringList>

// What the program remembers between runs, in the desktop's own place for settings
// ($XDG_CONFIG_HOME/tolvaren/tolvaren.conf, by default ~/.config/tolvaren/tolvaren.conf).
// A settings file that cannot be read gives nothing remembered; one that cannot be written costs
// only what it would have kept: the program goes on either way.
class ProgramSettings
{
public:
    // The names under which the desktop knows the program; main() gives them to the application.
    static constexpr const char *organization = "tolvaren";
    static constexpr const char *application = "tolvaren";
    static constexpr int maxRecentFiles = 10;

    ProgramSettings();

    QByteArray windowGeometry() const;
    void setWindowGeometry(const QByteArray &geometry);
    QByteArray windowState() const;
    void setWindowState(const QByteArray &state);

    // The folders the Read and the Save dialogs last took a file from; empty when not known.
    QString readFolder() const;
    void setReadFolder(const QString &folder);
    QString saveFolder() const;
    void setSaveFolder(const QString &folder);

    // Where every transfer is kept; empty for the transfers folder of the user's data.
    QString archiveFolder() const;
    void setArchiveFolder(const QString &folder);

    // Files of changes read or saved, the newest first, each once.
    QStringList recentFiles() const;
    void addRecentFile(const QString &fileName);
    void clearRecentFiles();

    // Writes what was set. False when the file cannot be written (or could not be read, and
    // rewriting it would lose what it holds).
    bool write();
    QString fileName() const { return settings.fileName(); }

private:
    QSettings settings;
};
