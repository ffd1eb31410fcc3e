#pragma once

#include <QLocale>
#include <QString>

// The program's optional files (translation, logo, pages) are looked up in the working directory
// first, as operators have always placed them there, and then in the installed data folder, so a
// program started from a desktop menu still finds the ones shipped with it.
QString optionalFilePath(const QString &fileName);

// The same for a page that is installed once per language: the data folder's "ru/help.html" for a
// Russian locale, chosen as the translation is; the page in the data folder itself is English.
QString optionalPagePath(const QString &fileName, const QLocale &locale = QLocale());

// The installed data folder, found beside the program file.
QString installedDataFolder();
