#pragma once

#include <functional>

class QProgressDialog;

// Runs work on a thread of its own while this thread goes on repainting and receiving, and
// returns when the work is done. The progress dialog, given its texts and range, is made
// window-modal and shows after about a second, or sooner when it foresees a longer wait. Until it
// shows the operator's input waits, so that no second action starts meanwhile; once it shows, it
// keeps the window from input itself. onTick runs here every few tens of milliseconds, to bring the
// dialog up to date and to pass on a Cancel.
void runBesideWindow(QProgressDialog &progress, const std::function<void()> &work,
                     const std::function<void()> &onTick);
