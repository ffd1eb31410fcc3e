#pragma once

#include <QString>

// The program's optional files (translation, logo, pages) are looked up in the working directory
// first, as operators have always placed them there, and then in the installed data folder, so a
// program started from a desktop menu still finds the ones shipped with it.
QString optionalFilePath(const QString &fileName);

// The installed data folder, found beside the program file.
QString installedDataFolder();
