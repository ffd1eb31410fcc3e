#pragma once

#include "records/control.h"

#include <QStringList>

// The one order of groups wherever they are shown or written: by name, with runs of digits
// compared as numbers (GROUP#2 before GROUP#10), everything else code unit by code unit as the
// store orders its keys (GROUP#2 before group#1).
bool groupNameLess(const QString &left, const QString &right);

// The store's groups in that order, as positions in the store: no name is looked up again.
QList<Measurements::const_iterator> orderedGroups(const Measurements &measurements);
// The store's group names in that order.
QStringList groupsInOrder(const Measurements &measurements);
