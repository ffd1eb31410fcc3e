// The line each bench prints per figure for scripts/bench's table, beside its own account.
#pragma once

#include <QByteArray>

#include <cstdio>

// Tab-separated: "figure", key, value, unit, label and, where known, what it was before a change
// with the date it was taken.
inline void printFigure(const QByteArray &key, double value, const QByteArray &unit,
                        const QByteArray &label, const QByteArray &before = {})
{
    std::printf("figure\t%s\t%.6g\t%s\t%s\t%s\n", key.constData(), value, unit.constData(),
                label.constData(), before.constData());
    // A long bench's figures should show as they come, also through a pipe.
    std::fflush(stdout);
}
