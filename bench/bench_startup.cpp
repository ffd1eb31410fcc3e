// The real program as a process on the offscreen platform: time to the shown window, CPU while
// idle, and resident memory after start and after a large transfer through a pseudo-terminal.
// Prints figures; asserts nothing.

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
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

void printFigure(const char *key, double value, const char *unit, const char *label)
{
    std::printf("figure\t%s\t%.6g\t%s\t%s\n", key, value, unit, label);
    std::fflush(stdout);
}

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
    explicit RunningProgram(const QString &workDirectory, const QByteArray &loggingRules = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        environment.remove(QStringLiteral("QT_MESSAGE_PATTERN"));
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
        process.start(QStringLiteral(TOLVAREN_PROGRAM), arguments);
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

// Total of user and system time of all the process's threads, in clock ticks.
long long cpuTicks(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // The command name may hold blanks; the fields after it are fixed.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    // utime and stime are fields 14 and 15 of the whole line, 12 and 13 after the name.
    if (fields.size() < 13)
        return -1;
    return fields.at(11).toLongLong() + fields.at(12).toLongLong();
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

void benchIdle(const QString &workDirectory)
{
    const int seconds = environmentNumber("BENCH_IDLE_SECONDS", 60);
    RunningProgram program(workDirectory);
    program.start();
    // The first device list comes before the window is shown; the settling covers the rest.
    if (!program.waitForLine([](const QByteArray &line) { return line.startsWith('('); }, 30000)) {
        std::printf("  idle: the program wrote no device list within 30 s\n");
        return;
    }
    program.pump(settleMs);
    const qint64 pid = program.pid();
    const long long ticksBefore = cpuTicks(pid);
    const long long wakeupsBefore = statusField(pid, "voluntary_ctxt_switches");
    QElapsedTimer clock;
    clock.start();
    program.pump(seconds * 1000);
    const long long ticksAfter = cpuTicks(pid);
    const long long wakeupsAfter = statusField(pid, "voluntary_ctxt_switches");
    const double elapsed = double(clock.nsecsElapsed()) / 1e9;
    const long long rss = statusField(pid, "VmRSS");
    if (ticksBefore < 0 || ticksAfter < 0 || !program.running()) {
        std::printf("  idle: the program ended during the measurement\n");
        return;
    }
    const double cpuSeconds = double(ticksAfter - ticksBefore) / double(sysconf(_SC_CLK_TCK));
    const double percent = 100.0 * cpuSeconds / elapsed;
    const double wakeups = double(wakeupsAfter - wakeupsBefore) / elapsed;
    std::printf("  idle for %.1f s without device events: %.3f s of CPU = %.3f %% of one core; "
                "%.1f wake-ups/s of the main thread; resident %lld KiB\n",
                elapsed, cpuSeconds, percent, wakeups, rss);
    printFigure("idle_cpu", percent, "% of one core",
                qPrintable(QStringLiteral("Idle CPU over %1 s").arg(seconds)));
    printFigure("idle_wakeups", wakeups, "per s", "Idle wake-ups of the main thread");
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

    std::printf("Program: %s\n", TOLVAREN_PROGRAM);
    std::printf("Start-up (offscreen):\n");
    benchStartup(directory);
    std::printf("Idle (no device events):\n");
    benchIdle(directory);
    std::printf("Memory (transfer fed through a pseudo-terminal as fast as it takes it):\n");
    benchMemory(directory);
    return 0;
}
