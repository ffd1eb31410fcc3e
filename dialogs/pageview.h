#pragma once

#include <QString>

class QTextBrowser;

// Shows a page file in the browser, looked up like every optional file of the program. A missing
// page leaves one line that names it, rather than an empty view. The message holds a "%1" for the
// file's name.
void showPage(QTextBrowser *browser, const QString &fileName, const QString &missingMessage);
