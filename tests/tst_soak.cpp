#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <limits>
#include <mutex>
#include <random>
#include <thread>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

// The program as the operator runs it, fed for a long time by an instrument that sends transfer
// after transfer at its line rate, with line noise between them, and whose line hangs up now and
// then. SOAK_SECONDS sets how long (the short form by default); SOAK_SEED repeats a run.
class SoakTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void countsEveryReadingThroughNoiseAndHangUps();

private:
    struct Transfer
    {
        int number = 0;
        QByteArray noiseBefore;
        QList<QByteArray> lines;
    };

    QList<Transfer> planCycle(double seconds);
    QByteArray noise();
    void readDiagnostics();
    void handleDiagnostic(const QByteArray &line);
    bool waitFor(const std::function<bool()> &condition, int timeoutMs);
    bool repointAdapter(const QString &device);
    qint64 residentKiB() const;
    QString recentDiagnostics() const;

    QTemporaryDir devices;
    QString adapter;
    QProcess program;
    std::mt19937 random;
    int nextTransfer = 0;

    QElapsedTimer clock;
    QByteArray unfinishedDiagnostic;
    QByteArrayList lastDiagnostics;
    QSet<QByteArray> outstandingReadings;
    QHash<QByteArray, int> endLines;
    qsizetype readingsSent = 0;
    qsizetype readingsCounted = 0;
    qsizetype readingsRepeated = 0;
    int pendingEnd = -1;
    int opens = 0;
    int closes = 0;
    std::atomic<int> lastEndSeen { -1 };

    std::mutex sentMutex;
    QHash<int, qint64> endSentAt; // guarded by sentMutex
    QHash<int, qint64> endSeenAt;
};

namespace {

// The instrument's line: 19200 baud, ten bits a byte.
constexpr double lineBytesPerSecond = 1920;
// How long a write may wait for the program to make room before the run counts as stuck.
constexpr int stuckWriteMs = 15000;
constexpr qint64 residentCeilingKiB = 300 * 1024;

QByteArray diagnostic(const char *label, const QString &text)
{
    QString line;
    QDebug(&line) << label << text;
    return line.trimmed().toUtf8();
}

// A pseudo-terminal in raw mode from the start, so no byte is changed or echoed even before the
// program has set the line up.
struct PseudoTerminal
{
    int master = -1;
    int slave = -1;
    QString path;

    PseudoTerminal() = default;
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;
    ~PseudoTerminal() { hangUp(); }

    bool open()
    {
        termios raw {};
        cfmakeraw(&raw);
        char name[256] = {};
        if (::openpty(&master, &slave, name, &raw, nullptr) != 0)
            return false;
        path = QString::fromLocal8Bit(name);
        return ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK) == 0;
    }
    void hangUp()
    {
        if (master >= 0)
            ::close(master);
        if (slave >= 0)
            ::close(slave);
        master = slave = -1;
    }
};

// Writes all bytes, waiting while the program's side of the line is full; false when it stays
// full too long or the line fails.
bool writeAll(int master, const char *data, qsizetype size)
{
    while (size > 0) {
        const ssize_t written = ::write(master, data, size_t(size));
        if (written > 0) {
            data += written;
            size -= written;
            continue;
        }
        if (written < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        pollfd fd { master, POLLOUT, 0 };
        if (::poll(&fd, 1, stuckWriteMs) == 0)
            return false;
    }
    return true;
}

} // namespace

void SoakTest::initTestCase()
{
    QVERIFY(devices.isValid());
    adapter = devices.filePath(QStringLiteral("adapter"));
    const unsigned seed = qEnvironmentVariableIsSet("SOAK_SEED")
        ? qEnvironmentVariableIntValue("SOAK_SEED")
        : 20240517u;
    qInfo("seed %u", seed);
    random.seed(seed);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    environment.remove(QStringLiteral("QT_MESSAGE_PATTERN"));
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(devices.path());
    connect(&program, &QProcess::readyReadStandardError, this, &SoakTest::readDiagnostics);
}

void SoakTest::cleanupTestCase()
{
    program.disconnect(this);
    if (program.state() == QProcess::NotRunning)
        return;
    program.terminate();
    if (!program.waitForFinished(5000))
        program.kill();
    program.waitForFinished(5000);
}

// Random bytes, runs of zero bytes and a line far longer than the program keeps, in a random
// order, closed by CR LF so that the transfer after it starts on a line of its own.
QByteArray SoakTest::noise()
{
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 4096);
    QByteArrayList pieces;
    QByteArray randomBytes(length(random), Qt::Uninitialized);
    for (char &c : randomBytes)
        c = char(byte(random));
    pieces.append(randomBytes);
    pieces.append(QByteArray(1 + length(random) / 4, '\0'));
    if (std::uniform_int_distribution<int>(0, 3)(random) == 0) {
        QByteArray longLine(100 * 1024, Qt::Uninitialized);
        for (char &c : longLine) {
            do
                c = char(byte(random));
            while (c == '\n');
        }
        pieces.append(longLine);
    }
    std::shuffle(pieces.begin(), pieces.end(), random);
    return pieces.join() + "\r\n";
}

// Transfers with values found nowhere else, so that every reading is counted exactly once.
QList<SoakTest::Transfer> SoakTest::planCycle(double seconds)
{
    QList<Transfer> transfers;
    double lineSeconds = 0;
    while (lineSeconds < seconds || transfers.isEmpty()) {
        Transfer transfer;
        transfer.number = nextTransfer++;
        transfer.noiseBefore = noise();
        const int groups = std::uniform_int_distribution<int>(1, 8)(random);
        const int readings = std::uniform_int_distribution<int>(10, 150)(random);
        transfer.lines.append("DEVICE SOAK-100\r\n");
        transfer.lines.append("SN T" + QByteArray::number(transfer.number) + "\r\n");
        for (int i = 0; i < readings; ++i) {
            const QString reading =
                QStringLiteral("GROUP#%1 v%2-%3").arg(i % groups + 1).arg(transfer.number).arg(i);
            transfer.lines.append(reading.toLatin1() + "\r\n");
            outstandingReadings.insert(diagnostic("input: ", reading));
        }
        const QString end = QStringLiteral("END %1").arg(transfer.number);
        transfer.lines.append(end.toLatin1() + "\r\n");
        endLines.insert(diagnostic("input: ", end), transfer.number);
        readingsSent += readings;
        for (const QByteArray &line : std::as_const(transfer.lines))
            lineSeconds += double(line.size()) / lineBytesPerSecond;
        transfers.append(transfer);
    }
    return transfers;
}

void SoakTest::readDiagnostics()
{
    unfinishedDiagnostic += program.readAllStandardError();
    qsizetype start = 0;
    for (qsizetype end; (end = unfinishedDiagnostic.indexOf('\n', start)) >= 0; start = end + 1)
        handleDiagnostic(unfinishedDiagnostic.sliced(start, end - start).trimmed());
    unfinishedDiagnostic.remove(0, start);
}

void SoakTest::handleDiagnostic(const QByteArray &line)
{
    if (line.size() < 200) {
        lastDiagnostics.append(line);
        if (lastDiagnostics.size() > 40)
            lastDiagnostics.removeFirst();
    }
    if (line.startsWith("input: ")) {
        pendingEnd = endLines.value(line, -1);
        if (outstandingReadings.remove(line))
            ++readingsCounted;
        else if (line.startsWith("input:  \"GROUP#") && line.size() < 100)
            ++readingsRepeated;
    } else if (line == "\"END\"" && pendingEnd >= 0) {
        endSeenAt.insert(pendingEnd, clock.elapsed());
        lastEndSeen = pendingEnd;
        pendingEnd = -1;
    } else if (line.startsWith("Open port ")) {
        ++opens;
    } else if (line == "Close port") {
        ++closes;
    }
}

bool SoakTest::waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    while (!condition()) {
        if (waited.elapsed() > timeoutMs || program.state() != QProcess::Running)
            return false;
        QTest::qWait(20);
    }
    return true;
}

// A new link renamed over the old one, so the program never sees the adapter's path missing
// or half made.
bool SoakTest::repointAdapter(const QString &device)
{
    const QString next = adapter + QStringLiteral(".next");
    QFile::remove(next);
    return QFile::link(device, next)
        && std::rename(QFile::encodeName(next).constData(), QFile::encodeName(adapter).constData())
        == 0;
}

qint64 SoakTest::residentKiB() const
{
    QFile status(QStringLiteral("/proc/%1/status").arg(program.processId()));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

QString SoakTest::recentDiagnostics() const
{
    return QString::fromUtf8(lastDiagnostics.join('\n'));
}

void SoakTest::countsEveryReadingThroughNoiseAndHangUps()
{
    const int soakSeconds = qEnvironmentVariableIsSet("SOAK_SECONDS")
        ? qEnvironmentVariableIntValue("SOAK_SECONDS")
        : 75;
    QVERIFY(soakSeconds > 0);
    const int cycles = std::max(4, soakSeconds / 20);
    // Opening, the last end and the hang-up take a second or two of every cycle.
    const double cycleSeconds = std::max(5.0, double(soakSeconds) / cycles - 2);
    qInfo("%d s in %d cycles of about %.0f s each", soakSeconds, cycles, cycleSeconds);

    clock.start();
    program.start(QStringLiteral(TOLVAREN_PROGRAM), { QStringLiteral("--port"), adapter });
    QVERIFY(program.waitForStarted(5000));

    QList<qint64> residentAfterCycle;
    qint64 residentAtStart = -1;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        PseudoTerminal line;
        QVERIFY(line.open());
        QVERIFY(repointAdapter(line.path));
        QVERIFY2(waitFor([&] { return opens > cycle; }, 10000),
                 qPrintable(QStringLiteral("cycle %1: the adapter was not opened again\n%2")
                                .arg(cycle)
                                .arg(recentDiagnostics())));
        if (cycle == 0) {
            // Let the window settle, so the start figure is the program at rest.
            QTest::qWait(500);
            residentAtStart = residentKiB();
            qInfo("resident memory at start: %lld KiB", residentAtStart);
        }

        // The instrument in a thread of its own: its writes block while the program is busy,
        // and the program's diagnostics must go on being read meanwhile.
        const QList<Transfer> transfers = planCycle(cycleSeconds);
        std::atomic<bool> writing { true };
        std::atomic<bool> writeFailed { false };
        std::thread instrument([&] {
            std::mt19937 chunks { static_cast<unsigned>(cycle) };
            std::uniform_int_distribution<qsizetype> chunkSize(1, 64);
            for (const Transfer &transfer : transfers) {
                // The noise goes faster than the line would take it, or a long line alone
                // would take most of a minute.
                if (!writeAll(line.master, transfer.noiseBefore.constData(),
                              transfer.noiseBefore.size())) {
                    writeFailed = true;
                    break;
                }
                // Each line in deliveries of an adapter's packet sizes, back to back, so the
                // program sees lines cut anywhere but never a pause inside one.
                const auto paceStart = std::chrono::steady_clock::now();
                qsizetype paced = 0;
                for (const QByteArray &bytes : transfer.lines) {
                    for (qsizetype sent = 0; sent < bytes.size() && !writeFailed;) {
                        const qsizetype size = std::min(chunkSize(chunks), bytes.size() - sent);
                        writeFailed = !writeAll(line.master, bytes.constData() + sent, size);
                        sent += size;
                    }
                    paced += bytes.size();
                    std::this_thread::sleep_until(
                        paceStart
                        + std::chrono::microseconds(qint64(paced * 1e6 / lineBytesPerSecond)));
                }
                if (writeFailed)
                    break;
                std::lock_guard<std::mutex> lock(sentMutex);
                endSentAt.insert(transfer.number, clock.elapsed());
            }
            writing = false;
        });
        waitFor([&] { return !writing; }, std::numeric_limits<int>::max());
        instrument.join();
        QVERIFY2(!writeFailed,
                 qPrintable(QStringLiteral("cycle %1: the program stopped reading\n%2")
                                .arg(cycle)
                                .arg(recentDiagnostics())));
        const int lastTransfer = transfers.last().number;
        QVERIFY2(waitFor([&] { return lastEndSeen >= lastTransfer; }, 10000),
                 qPrintable(QStringLiteral("cycle %1: transfer %2 did not end\n%3")
                                .arg(cycle)
                                .arg(lastTransfer)
                                .arg(recentDiagnostics())));

        // Hang up in the middle of more noise, as a cable pulled out while the line is busy.
        const QByteArray unfinished = noise().chopped(2);
        [[maybe_unused]] const ssize_t written =
            ::write(line.master, unfinished.constData(), size_t(unfinished.size()));
        line.hangUp();
        // Every other time the next line is there at once, before the program may have noticed
        // that this one hung up.
        if (cycle % 2 == 0 || cycle == cycles - 1) {
            QVERIFY2(waitFor([&] { return closes > cycle; }, 10000),
                     qPrintable(QStringLiteral("cycle %1: the hung-up port stayed open\n%2")
                                    .arg(cycle)
                                    .arg(recentDiagnostics())));
        }
        residentAfterCycle.append(residentKiB());
        qInfo("cycle %d: transfers up to %d, %d opens, %d closes, resident memory %lld KiB", cycle,
              lastTransfer, opens, closes, residentAfterCycle.last());
    }
    QCOMPARE(program.state(), QProcess::Running);
    QCOMPARE(closes, cycles);

    qint64 slowest = 0;
    int late = 0;
    for (auto sent = endSentAt.cbegin(); sent != endSentAt.cend(); ++sent) {
        const qint64 latency = std::max<qint64>(0, endSeenAt.value(sent.key(), -1) - *sent);
        slowest = std::max(slowest, latency);
        if (latency > 5000)
            ++late;
    }
    const qint64 residentAtEnd = residentKiB();
    const qint64 residentPeak =
        *std::max_element(residentAfterCycle.begin(), residentAfterCycle.end());
    qInfo("%d transfers, %lld readings sent, %lld counted; slowest end %lld ms after it was sent",
          nextTransfer, qlonglong(readingsSent), qlonglong(readingsCounted), slowest);
    qInfo("resident memory: start %lld KiB, end %lld KiB, highest after a cycle %lld KiB",
          residentAtStart, residentAtEnd, residentPeak);

    QCOMPARE(endSeenAt.size(), nextTransfer);
    QCOMPARE(readingsCounted, readingsSent);
    QCOMPARE(outstandingReadings.size(), 0);
    QCOMPARE(readingsRepeated, 0);
    QCOMPARE(late, 0);
    QVERIFY(residentAtStart > 0);
    QVERIFY2(std::max(residentPeak, residentAtEnd) < residentCeilingKiB,
             qPrintable(QStringLiteral("%1 KiB").arg(std::max(residentPeak, residentAtEnd))));
}

QTEST_GUILESS_MAIN(SoakTest)
#include "tst_soak.moc"
