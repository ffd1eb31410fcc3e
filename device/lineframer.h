#pragma once

#include <QByteArray>
#include <QList>
#include <optional>

// Cuts the instrument's byte stream into lines, whatever the deliveries' boundaries. A line ends
// at a line feed, and a carriage return directly before it is dropped. The unfinished tail of a
// delivery waits for the rest of its line; the owner hands it over as a line of its own after a
// quiet interval, or when the port closes.
class LineFramer
{
public:
    // The tail never grows beyond this, so a run without line feeds cannot take all memory: when
    // more bytes come for a full tail, the tail is a line of its own.
    static constexpr qsizetype maxTailBytes = 64 * 1024;
    // Silence after which an unfinished tail counts as a whole line: longer than any pause the
    // instrument or an adapter makes inside a line.
    static constexpr int quietIntervalMs = 1000;

    // Takes one delivery; returns the lines it completed, without their line ends. Zero bytes
    // are dropped on their own.
    QList<QByteArray> feed(const QByteArray &delivery);

    // The unfinished tail as a line, if there is one; the framer is empty afterwards. A carriage
    // return at its end is taken as the start of its line end, so a line feed that still follows
    // ends nothing more.
    std::optional<QByteArray> takeTail();

    bool hasTail() const { return !tail.isEmpty(); }

private:
    void appendToTail(const char *bytes, qsizetype count, QList<QByteArray> &lines);

    QByteArray tail;
    bool lineFeedEndsNothing = false;
};
