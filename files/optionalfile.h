#pragma once

#include <QLocale>
#include <QString>

class QByteArray;
class QImage;

// The program's optional files (translation, logo, pages) are looked up in the working directory
// first, as operators have always placed them there, and then in the installed data folder, so a
// program started from a desktop menu still finds the ones shipped with it. A candidate is taken
// only when it is a regular file of at most maxOptionalFileBytes: a FIFO, a device, a folder or a
// huge file of that name is passed over as if it were not there. Empty when neither is usable.
QString optionalFilePath(const QString &fileName);

// The same for a page that is installed once per language: the data folder's "ru/help.html" for a
// Russian locale, chosen as the translation is; the page in the data folder itself is English.
QString optionalPagePath(const QString &fileName, const QLocale &locale = QLocale());

// The installed data folder, found beside the program file.
QString installedDataFolder();

// The bound on an optional file and on each image of a page.
constexpr qint64 maxOptionalFileBytes = 4 * 1024 * 1024;

// An image decoded from a file's bytes, or a null image when it does not decode or would take
// more memory than a logo or a page's picture ever needs.
QImage imageFromBytes(const QByteArray &bytes);
