#pragma once

#include <QPageSize>

// The paper of the user's locale, for a protocol that is not printed: the one place that asks the
// system which paper its user has.
QPageSize localePaper();
