#pragma once

#include <QString>

// The name Save proposes, from the object, the inspector and the date as the date field shows it.
QString defaultChangeFileName(const QString &object, const QString &inspector,
                              const QString &displayedDate);
