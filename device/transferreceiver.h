#pragma once

#include "device/lineframer.h"
#include "device/pendingtransfer.h"

#include <QByteArray>

#include <functional>
#include <utility>

struct TransferMarkers;

// The receive path from the port's bytes to whole transfers: the framer, the lines' markers and
// the pending transfer. What becomes of a transfer is its owner's: it learns of every transfer that
// opens, ends or is cut off, in the order the instrument's lines made it so.
class TransferReceiver
{
public:
    struct Handlers
    {
        std::function<void()> opened;
        std::function<void(const ReceivedTransfer &)> ended;
        std::function<void(const ReceivedTransfer &)> cutOff;
    };

    explicit TransferReceiver(Handlers told)
        : handlers(std::move(told))
    { }

    // Takes one delivery of bytes; returns whether it completed a line.
    bool receive(const QByteArray &delivery);
    // Whether the bytes so far end in an unfinished line, which waits for the rest of its line.
    bool hasUnfinishedLine() const { return framer.hasTail(); }
    // The unfinished line as a line of its own, after a quiet interval; returns whether there
    // was one.
    bool finishLine();
    // The line went or the program ends: the unfinished line is a line of its own, and a transfer
    // still open will never be complete.
    void cutOff();

    const PendingTransfer &pending() const { return transfer; }

private:
    void handleLine(const QString &line, const TransferMarkers &markers);

    Handlers handlers;
    LineFramer framer;
    PendingTransfer transfer;
};
