#include <QtTest>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>
#include <thread>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

namespace {

// The instrument's line: 19200 baud, ten bits a byte.
constexpr double lineBytesPerSecond = 1920;
// How long a write may wait for the program to make room before the run counts as stuck.
constexpr int stuckWriteMs = 15000;
constexpr qint64 residentCeilingKiB = 300 * 1024;

// A pseudo-terminal in raw mode from the start, so that no byte is changed or echoed even before
// the program has set the line up.
struct Line
{
    int master = -1, slave = -1;
    QString path;

    Line()
    {
        termios raw {};
        cfmakeraw(&raw);
        char name[256] = {};
        if (::openpty(&master, &slave, name, &raw, nullptr) == 0
            && ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK) == 0)
            path = QString::fromLocal8Bit(name);
    }
    ~Line() { hangUp(); }
    void hangUp()
    {
        ::close(std::exchange(master, -1));
        ::close(std::exchange(slave, -1));
    }
    // Writes all bytes, waiting while the program's side is full; false when it stays full too
    // long or the line fails.
    bool write(const char *data, qsizetype size) const
    {
        while (size > 0) {
            const ssize_t written = ::write(master, data, size_t(size));
            pollfd fd { master, POLLOUT, 0 };
            if ((written < 0 && errno != EAGAIN && errno != EINTR)
                || (written <= 0 && ::poll(&fd, 1, stuckWriteMs) == 0))
                return false;
            data += std::max<ssize_t>(written, 0);
            size -= std::max<ssize_t>(written, 0);
        }
        return true;
    }
};

// Random bytes, a run of zero bytes and now and then a line far longer than the program keeps, in
// a random order, closed by CR LF so that the transfer after it starts on a line of its own.
QByteArray noise(std::mt19937 &random)
{
    std::uniform_int_distribution<int> byte(0, 255), length(0, 4096);
    const auto randomBytes = [&](qsizetype size, bool lineFeeds) {
        QByteArray bytes(size, Qt::Uninitialized);
        for (char &c : bytes)
            c = char(byte(random));
        return lineFeeds ? bytes : bytes.replace('\n', 'x');
    };
    QByteArrayList pieces { randomBytes(length(random), true),
                            QByteArray(1 + length(random) / 4, '\0') };
    if (std::uniform_int_distribution<int>(0, 3)(random) == 0)
        pieces.append(randomBytes(100 * 1024, false));
    std::shuffle(pieces.begin(), pieces.end(), random);
    return pieces.join() + "\r\n";
}

struct Transfer
{
    int number = 0;
    QByteArray noiseBefore;
    QByteArrayList lines;
};

} // namespace

// The program as the operator runs it, fed for a long time by an instrument that sends transfer
// after transfer at its line rate, with line noise between them, and whose line hangs up now and
// then. SOAK_SECONDS sets how long (the short form by default); SOAK_SEED repeats a run.
class SoakTest : public QObject
{
    Q_OBJECT

private slots:
    void countsEveryReadingThroughNoiseAndHangUps();
};

void SoakTest::countsEveryReadingThroughNoiseAndHangUps()
{
    const int soakSeconds = qEnvironmentVariable("SOAK_SECONDS", QStringLiteral("75")).toInt();
    QVERIFY(soakSeconds > 0);
    const int cycles = std::max(4, soakSeconds / 20);
    // Opening, the last end and the hang-up take a second or two of every cycle.
    const double cycleSeconds = std::max(5.0, double(soakSeconds) / cycles - 2);
    const int seed = qEnvironmentVariable("SOAK_SEED", QStringLiteral("20240517")).toInt();
    qInfo("%d s in %d cycles of about %.0f s each, seed %d", soakSeconds, cycles, cycleSeconds,
          seed);
    std::mt19937 random(seed);
    QTemporaryDir devices;
    QVERIFY(devices.isValid());
    const QString adapter = devices.filePath(QStringLiteral("adapter"));

    // Transfers with values found nowhere else, so that every reading is counted exactly once.
    QSet<QByteArray> outstanding; // the readings' diagnostics, until the program writes them
    QHash<QByteArray, int> endLines; // the end lines' diagnostics, to their transfers' numbers
    qsizetype readingsSent = 0;
    int nextTransfer = 0;
    const auto planCycle = [&] {
        QList<Transfer> transfers;
        for (double lineSeconds = 0; lineSeconds < cycleSeconds || transfers.isEmpty();) {
            const QByteArray number = QByteArray::number(nextTransfer);
            Transfer transfer { nextTransfer++,
                                noise(random),
                                { "DEVICE SOAK-100\r\n", "SN T" + number + "\r\n" } };
            const int groups = std::uniform_int_distribution<int>(1, 8)(random);
            const int readings = std::uniform_int_distribution<int>(10, 150)(random);
            for (int i = 0; i < readings; ++i) {
                const QByteArray reading = "GROUP#" + QByteArray::number(i % groups + 1) + " v"
                    + number + '-' + QByteArray::number(i);
                transfer.lines.append(reading + "\r\n");
                outstanding.insert("input:  \"" + reading + '"');
            }
            transfer.lines.append("END " + number + "\r\n");
            endLines.insert("input:  \"END " + number + '"', transfer.number);
            readingsSent += readings;
            lineSeconds += double(transfer.lines.join().size()) / lineBytesPerSecond;
            transfers.append(transfer);
        }
        return transfers;
    };

    // What the program's diagnostics tell, read while the instrument writes.
    QElapsedTimer clock;
    QByteArray unfinished;
    QByteArrayList recent;
    qsizetype counted = 0, repeated = 0;
    int pendingEnd = -1, lastEndSeen = -1, opens = 0, closes = 0;
    // The instrument's thread writes endSentAt only while this one waits for it.
    QHash<int, qint64> endSentAt, endSeenAt;
    const auto handle = [&](const QByteArray &line) {
        if (line.size() < 200)
            recent = recent.mid(recent.size() - 39) << line;
        if (line.startsWith("input: ")) {
            pendingEnd = endLines.value(line, -1);
            if (outstanding.remove(line))
                ++counted;
            else if (line.startsWith("input:  \"GROUP#") && line.size() < 100)
                ++repeated;
        } else if (line == "\"END\"" && pendingEnd >= 0) {
            endSeenAt.insert(pendingEnd, clock.elapsed());
            lastEndSeen = std::exchange(pendingEnd, -1);
        } else {
            opens += line.startsWith("Open port ");
            closes += line == "Close port";
        }
    };
    const auto why = [&recent](int cycle, const QString &what) {
        return QStringLiteral("cycle %1: %2\n%3")
            .arg(cycle)
            .arg(what, QString::fromUtf8(recent.join('\n')));
    };

    QProcess program;
    // The program inherits the test's environment.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("LC_ALL", "C.UTF-8");
    qunsetenv("QT_MESSAGE_PATTERN");
    program.setWorkingDirectory(devices.path());
    connect(&program, &QProcess::readyReadStandardError, this, [&] {
        unfinished += program.readAllStandardError();
        qsizetype start = 0;
        for (qsizetype end; (end = unfinished.indexOf('\n', start)) >= 0; start = end + 1)
            handle(unfinished.sliced(start, end - start).trimmed());
        unfinished.remove(0, start);
    });
    const auto stop = qScopeGuard([&program] {
        program.kill();
        program.waitForFinished(5000);
    });
    const auto waitFor = [&program](auto condition, int timeoutMs) {
        for (QDeadlineTimer deadline(timeoutMs); !condition(); QTest::qWait(20)) {
            if (deadline.hasExpired() || program.state() != QProcess::Running)
                return false;
        }
        return true;
    };
    const auto residentKiB = [&program] {
        QFile status(QStringLiteral("/proc/%1/status").arg(program.processId()));
        const QByteArray text = status.open(QIODevice::ReadOnly) ? status.readAll() : QByteArray();
        const qsizetype at = text.indexOf("VmRSS:");
        return at < 0 ? qint64(-1) : text.mid(at + 6).trimmed().split(' ').value(0).toLongLong();
    };

    clock.start();
    program.start(QStringLiteral(TOLVAREN_PROGRAM), { QStringLiteral("--port"), adapter });
    QVERIFY(program.waitForStarted(5000));
    qint64 residentAtStart = -1, residentPeak = -1;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        // A new link renamed over the old one, so the program never sees the adapter's path
        // missing or half made.
        Line line;
        const QString next = adapter + QStringLiteral(".next");
        QFile::remove(next);
        QVERIFY(QFile::link(line.path, next)
                && std::rename(qPrintable(next), qPrintable(adapter)) == 0);
        QVERIFY2(waitFor([&] { return opens > cycle; }, 10000),
                 qPrintable(why(cycle, "the adapter was not opened again")));
        if (cycle == 0) {
            // Let the window settle, so the start figure is the program at rest.
            QTest::qWait(500);
            residentAtStart = residentKiB();
        }

        // The instrument in a thread of its own: its writes block while the program is busy, and
        // the program's diagnostics must go on being read meanwhile.
        const QList<Transfer> transfers = planCycle();
        std::atomic<bool> writing { true }, writeFailed { false };
        std::thread instrument([&] {
            std::mt19937 chunks { unsigned(cycle) };
            std::uniform_int_distribution<qsizetype> chunkSize(1, 64);
            for (const Transfer &transfer : transfers) {
                // The noise goes faster than the line would take it, or a long line alone would
                // take most of a minute.
                writeFailed =
                    !line.write(transfer.noiseBefore.constData(), transfer.noiseBefore.size());
                // Each line in deliveries of an adapter's packet sizes, back to back, so the
                // program sees lines cut anywhere but never a pause inside one.
                const auto paceStart = std::chrono::steady_clock::now();
                qsizetype paced = 0;
                for (qsizetype i = 0; i < transfer.lines.size() && !writeFailed; ++i) {
                    const QByteArray &bytes = transfer.lines.at(i);
                    for (qsizetype sent = 0; sent < bytes.size() && !writeFailed;) {
                        const qsizetype size = std::min(chunkSize(chunks), bytes.size() - sent);
                        writeFailed = !line.write(bytes.constData() + sent, size);
                        sent += size;
                    }
                    paced += bytes.size();
                    std::this_thread::sleep_until(
                        paceStart
                        + std::chrono::microseconds(qint64(paced * 1e6 / lineBytesPerSecond)));
                }
                if (writeFailed)
                    break;
                endSentAt.insert(transfer.number, clock.elapsed());
            }
            writing = false;
        });
        waitFor([&] { return !writing; }, -1);
        instrument.join();
        QVERIFY2(!writeFailed, qPrintable(why(cycle, "the program stopped reading")));
        const int lastTransfer = transfers.last().number;
        QVERIFY2(
            waitFor([&] { return lastEndSeen >= lastTransfer; }, 10000),
            qPrintable(why(cycle, QStringLiteral("transfer %1 did not end").arg(lastTransfer))));

        // Hang up in the middle of more noise, as a cable pulled out while the line is busy.
        const QByteArray cut = noise(random).chopped(2);
        [[maybe_unused]] const ssize_t written =
            ::write(line.master, cut.constData(), size_t(cut.size()));
        line.hangUp();
        // Every other time the next line is there at once, before the program may have noticed
        // that this one hung up.
        if (cycle % 2 == 0 || cycle == cycles - 1)
            QVERIFY2(waitFor([&] { return closes > cycle; }, 10000),
                     qPrintable(why(cycle, "the hung-up port stayed open")));
        const qint64 resident = residentKiB();
        residentPeak = std::max(residentPeak, resident);
        qInfo("cycle %d: transfers up to %d, %d opens, %d closes, resident memory %lld KiB", cycle,
              lastTransfer, opens, closes, resident);
    }
    QCOMPARE(program.state(), QProcess::Running);
    QCOMPARE(closes, cycles);

    qint64 slowest = 0;
    for (auto sent = endSentAt.cbegin(); sent != endSentAt.cend(); ++sent)
        slowest = std::max(slowest, endSeenAt.value(sent.key(), -1) - *sent);
    const qint64 residentAtEnd = residentKiB();
    qInfo("%d transfers, %lld readings sent, %lld counted; slowest end %lld ms after it was sent",
          nextTransfer, qlonglong(readingsSent), qlonglong(counted), slowest);
    qInfo("resident memory: start %lld KiB, end %lld KiB, highest after a cycle %lld KiB",
          residentAtStart, residentAtEnd, residentPeak);

    QCOMPARE(endSeenAt.size(), nextTransfer);
    QCOMPARE(counted, readingsSent);
    QCOMPARE(repeated, 0);
    QVERIFY2(slowest <= 5000, "an end line took more than 5 s to reach the table");
    QVERIFY(residentAtStart > 0);
    QVERIFY2(std::max(residentPeak, residentAtEnd) < residentCeilingKiB,
             qPrintable(QStringLiteral("%1 KiB").arg(std::max(residentPeak, residentAtEnd))));
}

QTEST_GUILESS_MAIN(SoakTest)
#include "tst_soak.moc"
