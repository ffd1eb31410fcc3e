// The real program as a process on the offscreen platform: time to the shown window, CPU while
// idle (also on the X server of DISPLAY where there is one), and resident memory after start and
// after a large transfer through a pseudo-terminal. Prints figures; asserts nothing.
// BENCH_PROGRAM measures another build of the program, such as an older one to compare with.

#include "app/caretblink.h"
#include "bench/figure.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int transferReadings = 100000;
constexpr int groupCount = 10;
// Long enough for the window to be drawn and the first device list handled, with room to spare.
constexpr int settleMs = 2000;

int environmentNumber(const char *name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value > 0 ? value : fallback;
}

// The program, started the way an operator starts it, with its diagnostics read as they come so
// that a full pipe never holds it up.
class RunningProgram
{
public:
    explicit RunningProgram(const QString &workDirectory, const QByteArray &loggingRules = {},
                            const QString &platform = QStringLiteral("offscreen"))
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        environment.remove(QStringLiteral("QT_MESSAGE_PATTERN"));
        // Settings of its own, so that the program's many starts leave the user's as they were.
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), workDirectory);
        if (!environment.contains(QStringLiteral("XDG_RUNTIME_DIR")))
            environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), workDirectory);
        if (!loggingRules.isEmpty())
            environment.insert(QStringLiteral("QT_LOGGING_RULES"),
                               QString::fromLatin1(loggingRules));
        else
            environment.remove(QStringLiteral("QT_LOGGING_RULES"));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(workDirectory);
        process.setProcessChannelMode(QProcess::MergedChannels);
    }

    ~RunningProgram()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.terminate();
        if (!process.waitForFinished(5000)) {
            process.kill();
            process.waitForFinished(5000);
        }
    }

    void start(const QStringList &arguments = {})
    {
        process.start(qEnvironmentVariable("BENCH_PROGRAM", QStringLiteral(TOLVAREN_PROGRAM)),
                      arguments);
        process.waitForStarted(30000);
    }

    bool running() const { return process.state() == QProcess::Running; }
    qint64 pid() const { return process.processId(); }

    // Reads output for up to `ms` milliseconds; true as soon as a line satisfies `wanted`.
    bool waitForLine(const std::function<bool(const QByteArray &)> &wanted, int ms)
    {
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            while (process.canReadLine()) {
                if (wanted(process.readLine().trimmed()))
                    return true;
            }
            // A last line without a line feed is of no interest; drop it once nothing else comes.
            const qint64 left = ms - clock.elapsed();
            if (left <= 0 || !running())
                return false;
            process.waitForReadyRead(int(std::min<qint64>(left, 50)));
        }
    }

    // Keeps reading output for `ms` milliseconds.
    void pump(int ms)
    {
        waitForLine([](const QByteArray &) { return false; }, ms);
    }

private:
    QProcess process;
};

// CPU time of each of the process's threads, in nanoseconds, as the scheduler counts it: finer than
// the clock ticks of /proc/<pid>/stat, which at 10 ms each are as large as a minute's idle cost.
QHash<QString, long long> threadCpuNs(qint64 pid)
{
    QHash<QString, long long> times;
    const QString tasks = QStringLiteral("/proc/%1/task/").arg(pid);
    const QStringList threads = QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &thread : threads) {
        QFile schedstat(tasks + thread + QStringLiteral("/schedstat"));
        if (schedstat.open(QIODevice::ReadOnly))
            times.insert(thread, schedstat.readAll().split(' ').constFirst().toLongLong());
    }
    return times;
}

// The CPU time spent between two readings by the threads alive at the second. A thread that ended
// in between takes its part with it: for an idle program, the few microseconds of its ending.
double cpuSecondsBetween(const QHash<QString, long long> &before,
                         const QHash<QString, long long> &after)
{
    long long ns = 0;
    for (auto thread = after.cbegin(); thread != after.cend(); ++thread)
        ns += thread.value() - before.value(thread.key(), 0);
    return double(ns) / 1e9;
}

// A field of /proc/<pid>/status, such as VmRSS (in KiB) or voluntary_ctxt_switches.
long long statusField(qint64 pid, const char *name)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(name) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// First frame of the main window flushed to the screen. The repaint manager says so only when its
// logging category is on, which costs a few hundred short lines before that frame.
bool isFirstFlush(const QByteArray &line)
{
    return line.startsWith("qt.widgets.painting: Flushing QRegion") && line.contains("MainWindow");
}

void benchStartup(const QString &workDirectory)
{
    const int runs = environmentNumber("BENCH_STARTUP_RUNS", 10);
    QList<double> times;
    // One run more than counted, the first, to fill the file cache.
    for (int run = 0; run <= runs; ++run) {
        RunningProgram program(workDirectory, "qt.widgets.painting.info=true");
        QElapsedTimer clock;
        clock.start();
        program.start();
        if (!program.waitForLine(isFirstFlush, 30000)) {
            std::printf("  start-up: the window was not shown within 30 s\n");
            return;
        }
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        if (run > 0)
            times.append(ms);
    }
    std::sort(times.begin(), times.end());
    const double median = times.size() % 2
        ? times.at(times.size() / 2)
        : (times.at(times.size() / 2 - 1) + times.at(times.size() / 2)) / 2;
    std::printf("  start to first frame of the window: median %.1f ms, min %.1f ms, max %.1f ms "
                "(%lld runs after one to warm the cache)\n",
                median, times.first(), times.last(), static_cast<long long>(times.size()));
    printFigure("startup_median", median, "ms", "Start-up to the shown window (offscreen, median)");
    printFigure("startup_max", times.last(), "ms", "Start-up to the shown window (offscreen, max)");
}

// Gives the program's window the keyboard focus on an X server, as a desktop gives it to a new
// window (without a window manager nobody does), so that its caret blinks as it would there.
bool focusWindow(qint64 pid)
{
    const auto xdotool = [](const QStringList &arguments, QByteArray *output = nullptr) {
        QProcess tool;
        tool.start(QStringLiteral("xdotool"), arguments);
        const bool done = tool.waitForFinished(10000) && tool.exitStatus() == QProcess::NormalExit
            && tool.exitCode() == 0;
        if (output)
            *output = tool.readAllStandardOutput().trimmed();
        return done;
    };
    QByteArray windows;
    QByteArray focused;
    if (!xdotool({ QStringLiteral("search"), QStringLiteral("--sync"),
                   QStringLiteral("--onlyvisible"), QStringLiteral("--pid"), QString::number(pid) },
                 &windows))
        return false;
    const QByteArray window = windows.split('\n').constFirst();
    return xdotool({ QStringLiteral("windowfocus"), QStringLiteral("--sync"),
                     QString::fromLatin1(window) })
        && xdotool({ QStringLiteral("getwindowfocus") }, &focused) && focused == window;
}

// The idle figures taken the same way before two changes, in a Release build on this 2-core
// machine without a udev daemon: with the device list scanned every 2 s (before the watch on /dev),
// and with the caret blinking on while nobody types (before it comes to rest).
struct IdleBefore
{
    const char *platform;
    double rescanCpu, rescanWakeups;
    double blinkingCpu, blinkingWakeups;
};
constexpr IdleBefore idleBefore[] = { { "offscreen", 1.27, 2.0, 0.168, 2.0 },
                                      { "xcb", 1.03, 3.3, 0.229, 2.8 } };
constexpr const char idleBeforeDate[] = "2026-12-07";

void benchIdle(const QString &workDirectory, const QString &platform)
{
    const int seconds = environmentNumber("BENCH_IDLE_SECONDS", 60);
    RunningProgram program(workDirectory, {}, platform);
    program.start();
    // The first device list comes before the window is shown; the settling covers the rest.
    if (!program.waitForLine([](const QByteArray &line) { return line.startsWith('('); }, 30000)) {
        std::printf("  idle: the program wrote no device list within 30 s\n");
        return;
    }
    const qint64 pid = program.pid();
    if (platform == QLatin1String("xcb") && !focusWindow(pid)) {
        std::printf("  idle: the window could not be given the focus (is xdotool installed?)\n");
        return;
    }
    // Nobody at the computer: measured once the caret has come to rest.
    program.pump(CaretBlinkTimeout::defaultTimeoutMs + settleMs);
    const QHash<QString, long long> cpuBefore = threadCpuNs(pid);
    const long long wakeupsBefore = statusField(pid, "voluntary_ctxt_switches");
    QElapsedTimer clock;
    clock.start();
    program.pump(seconds * 1000);
    const QHash<QString, long long> cpuAfter = threadCpuNs(pid);
    const long long wakeupsAfter = statusField(pid, "voluntary_ctxt_switches");
    const double elapsed = double(clock.nsecsElapsed()) / 1e9;
    const long long rss = statusField(pid, "VmRSS");
    if (cpuBefore.isEmpty() || cpuAfter.isEmpty() || !program.running()) {
        std::printf("  idle: the program ended during the measurement\n");
        return;
    }
    const double cpuSeconds = cpuSecondsBetween(cpuBefore, cpuAfter);
    const double percent = 100.0 * cpuSeconds / elapsed;
    const double wakeups = double(wakeupsAfter - wakeupsBefore) / elapsed;
    std::printf("  %s, idle for %.1f s without device events or input: %.1f ms of CPU = %.3f %% of "
                "one core; %.1f wake-ups/s of the main thread; resident %lld KiB\n",
                qPrintable(platform), elapsed, cpuSeconds * 1000, percent, wakeups, rss);
    const IdleBefore *before = std::find_if(
        std::begin(idleBefore), std::end(idleBefore),
        [&platform](const IdleBefore &figures) { return platform == figures.platform; });
    std::printf(
        "  before (%s): %.3g %% and %.1f wake-ups/s with the device list scanned every 2 s; "
        "%.3g %% and %.1f wake-ups/s with the caret blinking on\n",
        idleBeforeDate, before->rescanCpu, before->rescanWakeups, before->blinkingCpu,
        before->blinkingWakeups);
    const auto beside = [](double rescan, double blinking) {
        return QStringLiteral("%1 (2 s rescan), %2 (blinking caret), %3")
            .arg(rescan, 0, 'g', 3)
            .arg(blinking, 0, 'g', 3)
            .arg(QLatin1String(idleBeforeDate))
            .toUtf8();
    };
    const QByteArray key = platform.toLatin1();
    printFigure(("idle_cpu_" + key).constData(), percent, "% of one core",
                qPrintable(QStringLiteral("Idle CPU over %1 s (%2)").arg(seconds).arg(platform)),
                beside(before->rescanCpu, before->blinkingCpu).constData());
    printFigure(("idle_wakeups_" + key).constData(), wakeups, "per s",
                qPrintable(QStringLiteral("Idle wake-ups of the main thread (%1)").arg(platform)),
                beside(before->rescanWakeups, before->blinkingWakeups).constData());
}

QByteArray transfer(int readings)
{
    QByteArray body = "DEVICE X-100\r\nSN 517\r\n";
    body.reserve(readings * 16 + 64);
    for (int i = 0; i < readings; ++i)
        body += "GROUP#" + QByteArray::number(i % groupCount + 1) + ' '
            + QByteArray::number(0.5 + double(i % 997) / 1000.0, 'f', 3) + "\r\n";
    return body + "END\r\n";
}

void benchMemory(const QString &workDirectory)
{
    int master = -1;
    int slave = -1;
    char path[256] = {};
    if (openpty(&master, &slave, path, nullptr, nullptr) < 0) {
        std::printf("  memory: no pseudo-terminal: %s\n", std::strerror(errno));
        return;
    }
    // Raw from the start, so that nothing written before the program sets the line up is echoed.
    termios settings {};
    tcgetattr(slave, &settings);
    cfmakeraw(&settings);
    tcsetattr(slave, TCSANOW, &settings);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);

    {
        RunningProgram program(workDirectory);
        program.start({ QStringLiteral("--port"), QString::fromLocal8Bit(path) });
        if (!program.waitForLine(
                [](const QByteArray &line) { return line.startsWith("Open port"); }, 30000)) {
            std::printf("  memory: the program did not open %s within 30 s\n", path);
        } else {
            program.pump(settleMs);
            const qint64 pid = program.pid();
            const long long rssStart = statusField(pid, "VmRSS");

            const QByteArray bytes = transfer(transferReadings);
            qsizetype sent = 0;
            bool ended = false;
            QElapsedTimer clock;
            clock.start();
            // Writes what the line takes and reads the diagnostics in between, until the end
            // line's diagnostic: the table has been drawn by then.
            while (!ended && program.running() && clock.elapsed() < 300000) {
                if (sent < bytes.size()) {
                    const ssize_t written =
                        write(master, bytes.constData() + sent,
                              size_t(std::min<qsizetype>(bytes.size() - sent, 4096)));
                    if (written > 0)
                        sent += written;
                    else if (written < 0 && errno != EAGAIN && errno != EINTR)
                        break;
                }
                char scratch[256];
                while (read(master, scratch, sizeof scratch) > 0) { }
                ended =
                    program.waitForLine([](const QByteArray &line) { return line == "\"END\""; },
                                        sent < bytes.size() ? 1 : 50);
            }
            const double seconds = double(clock.nsecsElapsed()) / 1e9;
            if (!ended) {
                std::printf("  memory: no end of the transfer after %lld of %lld bytes\n",
                            static_cast<long long>(sent), static_cast<long long>(bytes.size()));
            } else {
                program.pump(settleMs);
                const long long rssAfter = statusField(pid, "VmRSS");
                const long long peak = statusField(pid, "VmHWM");
                std::printf("  resident after start (port open): %lld KiB\n", rssStart);
                std::printf("  %d readings (%lld bytes) through the pseudo-terminal to the drawn "
                            "table in %.2f s; resident after: %lld KiB, peak %lld KiB\n",
                            transferReadings, static_cast<long long>(bytes.size()), seconds,
                            rssAfter, peak);
                printFigure("rss_start", double(rssStart) / 1024.0, "MiB",
                            "Resident memory after start");
                printFigure("rss_after_transfer", double(rssAfter) / 1024.0, "MiB",
                            "Resident memory after a 100,000-reading transfer");
                printFigure("rss_peak_transfer", double(peak) / 1024.0, "MiB",
                            "Peak resident memory during that transfer");
                printFigure("pty_transfer_time", seconds, "s",
                            "100,000 readings through a pseudo-terminal to the drawn table");
            }
        }
    }
    close(master);
    close(slave);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    // The idle measurement is long; its account should show as it goes, also through a pipe.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QTemporaryDir workDirectory;
    if (!workDirectory.isValid()) {
        std::printf("no temporary working directory\n");
        return 1;
    }
    // An empty working directory: no optional files but the installed ones.
    const QString directory = workDirectory.path();

    std::printf(
        "Program: %s\n",
        qPrintable(qEnvironmentVariable("BENCH_PROGRAM", QStringLiteral(TOLVAREN_PROGRAM))));
    std::printf("Start-up (offscreen):\n");
    benchStartup(directory);
    std::printf("Idle (no device events, no input; the caret rests %d s after the last input):\n",
                CaretBlinkTimeout::defaultTimeoutMs / 1000);
    benchIdle(directory, QStringLiteral("offscreen"));
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        std::printf("  (no DISPLAY: the X server's figure needs one, such as Xvfb's)\n");
    else
        benchIdle(directory, QStringLiteral("xcb"));
    std::printf("Memory (transfer fed through a pseudo-terminal as fast as it takes it):\n");
    benchMemory(directory);
    return 0;
}
