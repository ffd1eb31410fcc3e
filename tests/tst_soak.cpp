#include "testing.h"

#include <QtTest>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <limits>
#include <random>
#include <thread>

namespace {

// The instrument's line: 19200 baud, ten bits a byte.
constexpr double lineBytesPerSecond = 1920;
// Random bytes with a run of zero bytes among them, closed by CR LF so that the transfer after it
// starts on a line of its own.
QByteArray noise(std::mt19937 &random)
{
    std::uniform_int_distribution<int> byte(0, 255), length(0, 2048);
    QByteArray bytes(length(random), Qt::Uninitialized);
    for (char &c : bytes)
        c = char(byte(random));
    const qsizetype at = std::uniform_int_distribution<qsizetype>(0, bytes.size())(random);
    return bytes.insert(at, QByteArray(1 + length(random) / 4, '\0')) + "\r\n";
}

// The program as the operator runs it, with its working folder and data folder of its own and its
// adapter named relative to that folder, as an operator types it there; every diagnostic line
// goes to the handler.
struct RunningProgram
{
    explicit RunningProgram(std::function<void(const QByteArray &)> handle)
    {
        // The program inherits the test's environment, offscreen as CTest sets it.
        qunsetenv("QT_MESSAGE_PATTERN");
        qputenv("XDG_DATA_HOME", folder.path().toLocal8Bit()); // where it keeps every transfer
        process.setWorkingDirectory(folder.path());
        process.setReadChannel(QProcess::StandardError);
        // As an interactive shell starts it, even when the test runs where these are ignored.
        process.setChildProcessModifier(
            [] { ::signal(SIGINT, SIG_DFL), ::signal(SIGHUP, SIG_DFL); });
        QObject::connect(&process, &QProcess::readyReadStandardError, [this, handle] {
            while (process.canReadLine())
                handle(process.readLine().trimmed());
        });
        process.start(QStringLiteral(TOLVAREN_PROGRAM), { QStringLiteral("--port"), "adapter" });
        process.waitForStarted(5000);
    }
    ~RunningProgram() { process.kill(), process.waitForFinished(); }

    // A new link renamed over the old one, so the program never sees the adapter's path missing
    // or half made.
    bool plug(const PseudoTerminal &line) const
    {
        const QString adapter = folder.filePath(QStringLiteral("adapter"));
        QFile::remove(adapter + ".next");
        return QFile::link(line.path, adapter + ".next")
            && std::rename(qPrintable(adapter + ".next"), qPrintable(adapter)) == 0;
    }
    // The waits are liveness bounds, not speed limits (those are measured in bench/): generous,
    // so a machine busy with other work does not fail a program that is merely slow.
    bool waitFor(const std::function<bool()> &condition, int timeoutMs)
    {
        return QTest::qWaitFor([&] { return condition() || process.state() != QProcess::Running; },
                               timeoutMs)
            && condition();
    }
    QDir transfers() const { return QDir(folder.filePath(QStringLiteral("tolvaren/transfers"))); }

    QTemporaryDir folder;
    QProcess process;
};

} // namespace

// The program as the operator runs it, fed by an instrument that sends transfer after transfer at
// its line rate, with line noise between them, and whose line hangs up now and then. SOAK_SECONDS
// sets how long (the short form by default); SOAK_SEED repeats a run.
class SoakTest : public QObject
{
    Q_OBJECT

private slots:
    void countsEveryReadingThroughNoiseAndHangUps();
    void keepsTheArrivingTransferWhenAskedToEnd_data();
    void keepsTheArrivingTransferWhenAskedToEnd();
};

void SoakTest::countsEveryReadingThroughNoiseAndHangUps()
{
    const int soakSeconds = qEnvironmentVariable("SOAK_SECONDS", QStringLiteral("45")).toInt();
    const int cycles = std::max(4, soakSeconds / 20);
    const double cycleSeconds = double(soakSeconds) / cycles;
    const int seed = qEnvironmentVariable("SOAK_SEED", QStringLiteral("20240517")).toInt();
    std::mt19937 random(seed);

    // What the program's diagnostics tell. Every reading's value is found nowhere else, so that
    // each is counted exactly once.
    QSet<QByteArray> outstanding;
    qsizetype sent = 0, counted = 0, repeated = 0;
    int transfers = 0, ends = 0, opens = 0, closes = 0;
    QByteArray recent; // the last diagnostics, to show when the run fails
    const auto why = [&recent](int cycle, const char *what) {
        return QStringLiteral("cycle %1: %2\n%3").arg(cycle).arg(what, QString::fromUtf8(recent));
    };
    RunningProgram program([&](const QByteArray &line) {
        recent = (recent + line.left(200) + '\n').right(4000);
        if (line.startsWith("input: ")) {
            if (outstanding.remove(line))
                ++counted;
            else if (line.startsWith("input:  \"GROUP#") && line.size() < 100)
                ++repeated;
        }
        ends += line == "\"END\"";
        opens += line.startsWith("Open port ");
        closes += line == "Close port";
    });
    for (int cycle = 0; cycle < cycles; ++cycle) {
        PseudoTerminal line;
        QVERIFY(program.plug(line));
        QVERIFY2(program.waitFor([&] { return opens > cycle; }, 30000),
                 qPrintable(why(cycle, "the adapter was not opened again")));

        // Transfers with line noise before each, as one stream for the cycle.
        QByteArray stream;
        while (stream.size() < cycleSeconds * lineBytesPerSecond) {
            const QByteArray number = QByteArray::number(transfers++);
            stream += noise(random) + "DEVICE SOAK-100\r\nSN T" + number + "\r\n";
            const int groups = std::uniform_int_distribution<int>(1, 8)(random);
            for (int i = std::uniform_int_distribution<int>(10, 150)(random); i > 0; --i, ++sent) {
                const QByteArray reading = "GROUP#" + QByteArray::number(i % groups + 1) + " v"
                    + number + '-' + QByteArray::number(i);
                stream += reading + "\r\n";
                outstanding.insert("input:  \"" + reading + '"');
            }
            stream += "END\r\n";
        }

        // The instrument in a thread of its own, at the line's rate, in deliveries of an adapter's
        // packet sizes: its writes block while the program is busy, and the program's diagnostics
        // must go on being read meanwhile.
        std::atomic<bool> writing { true }, writeFailed { false };
        std::thread instrument([&] {
            std::mt19937 chunks { unsigned(cycle) };
            const auto start = std::chrono::steady_clock::now();
            for (qsizetype at = 0, size; at < stream.size() && !writeFailed; at += size) {
                size = std::uniform_int_distribution<qsizetype>(1, 64)(chunks);
                writeFailed = !line.write(stream.mid(at, size));
                std::this_thread::sleep_until(
                    start + std::chrono::microseconds(qint64(at * 1e6 / lineBytesPerSecond)));
            }
            writing = false;
        });
        program.waitFor([&] { return !writing; }, std::numeric_limits<int>::max());
        instrument.join();
        QVERIFY2(!writeFailed, qPrintable(why(cycle, "the program stopped reading")));
        QVERIFY2(program.waitFor([&] { return outstanding.isEmpty() && ends >= transfers; }, 30000),
                 qPrintable(why(cycle, "a transfer did not arrive whole")));

        // Hang up in the middle of more noise, as a cable pulled out while the line is busy.
        const QByteArray cut = noise(random).chopped(2);
        [[maybe_unused]] const ssize_t written = ::write(line.master, cut.constData(), cut.size());
        line.hangUp();
        // Every other time the next line is there at once, before the program may have noticed
        // that this one hung up.
        if (cycle % 2 == 0 || cycle == cycles - 1)
            QVERIFY2(program.waitFor([&] { return closes > cycle; }, 30000),
                     qPrintable(why(cycle, "the hung-up port stayed open")));
        qInfo("cycle %d: %d transfers, %d opens, %d closes", cycle, transfers, opens, closes);
    }
    QCOMPARE(program.process.state(), QProcess::Running);
    QCOMPARE(closes, cycles);
    QCOMPARE(counted, sent);
    QCOMPARE(repeated, 0);
    QVERIFY(program.transfers().entryList(QDir::Files).size() >= transfers);
}

// Asked by the system to end, the program ends as when the operator quits, and keeps the transfer
// still arriving as cut off, its last line without a line feed too.
void SoakTest::keepsTheArrivingTransferWhenAskedToEnd_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
    QTest::newRow("SIGHUP") << SIGHUP;
}

void SoakTest::keepsTheArrivingTransferWhenAskedToEnd()
{
    QFETCH(int, signalNumber);
    bool open = false, arrived = false;
    RunningProgram program([&](const QByteArray &line) {
        open |= line.startsWith("Open port ");
        arrived |= line == "input:  \"GROUP#1 0.5\"";
    });
    PseudoTerminal line;
    QVERIFY(program.plug(line) && program.waitFor([&] { return open; }, 30000));
    QVERIFY(line.write("DEVICE X-100\r\nSN 7\r\nGROUP#1 0.5\r\nGROUP#2 1.5")
            && program.waitFor([&] { return arrived; }, 30000));
    ::kill(pid_t(program.process.processId()), signalNumber);
    QVERIFY(program.process.waitForFinished(30000) && program.process.exitCode() == 0
            && program.process.exitStatus() == QProcess::NormalExit);
    const QStringList kept = program.transfers().entryList({ "*_SN-7_cut-off.csv" });
    QVERIFY(kept.size() == 1
            && readFile(program.transfers().filePath(kept.first()))
                   .endsWith("SN 7\r\nGROUP#1;0.5\r\nGROUP#2;1.5\r\n"));
}

QTEST_GUILESS_MAIN(SoakTest)
#include "tst_soak.moc"
