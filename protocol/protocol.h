#pragma once

#include "records/control.h"

#include <QString>

// The printed control protocol as one HTML text: the heading, the instrument and the fields, then
// the measurements in tables of at most ten groups each. The date stands as the window shows it.
QString buildProtocol(const Control &control, const QString &shownDate);
