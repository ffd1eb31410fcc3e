#include "records/savename.h"

QString defaultChangeFileName(const QString &object, const QString &inspector,
                              const QString &displayedDate)
{
    QString name = object + QLatin1Char('_') + inspector + QLatin1Char('_') + displayedDate;
    // Path separators too: the name must stay a name inside the proposed folder.
    for (const char from : { ' ', '.', ':', '/', '\\' })
        name.replace(QLatin1Char(from), QLatin1Char('_'));
    return name;
}
