#include <QDebug>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The program as the operator starts it, with --port naming the simulator's pseudo-terminal.
class PortOptionTest : public QObject
{
    Q_OBJECT

private slots:
    void opensTheNamedDeviceWhenItAppearsAndShowsEveryLine();
    void cleanup();

private:
    QProcess simulator;
    QProcess program;
};

// A diagnostic as the program writes it: items separated by one blank, texts quoted.
static QString diagnostic(const char *label, const QString &text)
{
    QString line;
    QDebug(&line) << label << text;
    return line.trimmed();
}

void PortOptionTest::cleanup()
{
    for (QProcess *process : { &program, &simulator }) {
        process->kill();
        process->waitForFinished(3000);
    }
}

void PortOptionTest::opensTheNamedDeviceWhenItAppearsAndShowsEveryLine()
{
    // Repeated, so that one transfer starts after the program has opened the line.
    simulator.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    simulator.start(TOLVAREN_SIMULATOR, { "--pause", "1" });
    while (!simulator.canReadLine() && simulator.waitForReadyRead(5000)) { }
    const QString device = QString::fromLocal8Bit(simulator.readLine()).trimmed();
    QVERIFY2(device.startsWith("/dev/"), qPrintable(device));

    // The named device is a link that does not exist yet when the program starts.
    QTemporaryDir devices;
    const QString link = devices.filePath("adapter");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("LC_ALL", "C.UTF-8");
    environment.remove("QT_MESSAGE_PATTERN");
    program.setProcessEnvironment(environment);
    QString diagnostics;
    QObject reader; // gone before diagnostics, however the test ends
    connect(&program, &QProcess::readyReadStandardError, &reader,
            [&] { diagnostics += QString::fromUtf8(program.readAllStandardError()); });
    program.start(TOLVAREN_PROGRAM, { "--port", link });
    auto shown = [&](const QStringList &expected, int timeoutMs) {
        return QTest::qWaitFor(
            [&] {
                const QStringList lines = diagnostics.split('\n');
                return std::all_of(expected.begin(), expected.end(),
                                   [&](const QString &line) { return lines.contains(line); });
            },
            timeoutMs);
    };
    // Its first look at the devices is written as their list.
    QTRY_VERIFY2_WITH_TIMEOUT(diagnostics.startsWith('(') || diagnostics.contains("\n("),
                              qPrintable(diagnostics), 10000);

    QElapsedTimer sinceAppearing;
    sinceAppearing.start();
    QVERIFY(QFile::link(device, link));
    QVERIFY2(shown({ diagnostic("Open port ", link) }, 5000), qPrintable(diagnostics));
    qInfo("The port was open %lld ms after its device appeared", sinceAppearing.elapsed());

    QFile sample(TOLVAREN_SAMPLE);
    QVERIFY(sample.open(QIODevice::ReadOnly));
    QStringList expected { "\"END\"" };
    for (const QString &line : QString::fromUtf8(sample.readAll()).split('\n', Qt::SkipEmptyParts))
        expected.append(diagnostic("input: ", line));
    QVERIFY(expected.size() > 5);
    QVERIFY2(shown(expected, 20000), qPrintable(diagnostics.right(2000)));
    QCOMPARE(program.state(), QProcess::Running);

    // The simulator ends cleanly; the port is closed when its device goes.
    simulator.terminate();
    QVERIFY(simulator.waitForFinished(3000) && simulator.exitStatus() == QProcess::NormalExit);
    QCOMPARE(simulator.exitCode(), 0);
    QVERIFY(QFile::remove(link));
    QVERIFY(shown({ "Close port" }, 5000));
}

QTEST_GUILESS_MAIN(PortOptionTest)
#include "tst_portoption.moc"
