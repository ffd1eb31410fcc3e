#include <QDebug>
#include <QDir>
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
    void init();
    void cleanup();
    void showsEveryLineOfTheSimulatorsTransfer();
    void opensTheNamedDeviceWhenItAppears();

private:
    QString startSimulator(const QStringList &arguments);
    void startProgram(const QString &device);
    bool waitForDiagnostics(const QStringList &expected, int timeoutMs);

    QTemporaryDir workDirectory;
    QProcess simulator;
    QProcess program;
    QString diagnostics;
};

// A diagnostic as the program writes it: items separated by one blank, texts quoted.
static QString diagnostic(const char *label, const QString &text)
{
    QString line;
    QDebug(&line) << label << text;
    return line.trimmed();
}

void PortOptionTest::init()
{
    diagnostics.clear();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    environment.remove(QStringLiteral("QT_MESSAGE_PATTERN"));
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(workDirectory.path());
    connect(&program, &QProcess::readyReadStandardError, this,
            [this] { diagnostics += QString::fromUtf8(program.readAllStandardError()); });
}

void PortOptionTest::cleanup()
{
    program.disconnect(this);
    for (QProcess *process : { &program, &simulator }) {
        if (process->state() == QProcess::NotRunning)
            continue;
        process->terminate();
        if (!process->waitForFinished(3000))
            process->kill();
        process->waitForFinished(3000);
    }
}

QString PortOptionTest::startSimulator(const QStringList &arguments)
{
    simulator.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    simulator.start(QStringLiteral(TOLVAREN_SIMULATOR), arguments);
    if (!simulator.waitForStarted(5000))
        return QString();
    while (!simulator.canReadLine() && simulator.waitForReadyRead(5000)) { }
    return QString::fromLocal8Bit(simulator.readLine()).trimmed();
}

void PortOptionTest::startProgram(const QString &device)
{
    program.start(QStringLiteral(TOLVAREN_PROGRAM), { QStringLiteral("--port"), device });
}

bool PortOptionTest::waitForDiagnostics(const QStringList &expected, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        const QStringList lines = diagnostics.split(QLatin1Char('\n'));
        if (std::all_of(expected.begin(), expected.end(),
                        [&](const QString &line) { return lines.contains(line); }))
            return true;
        QTest::qWait(20);
    }
    return false;
}

void PortOptionTest::showsEveryLineOfTheSimulatorsTransfer()
{
    // Repeated, so that one transfer starts after the program has opened the line.
    const QString device = startSimulator({ QStringLiteral("--pause"), QStringLiteral("1") });
    QVERIFY(device.startsWith(QLatin1String("/dev/")));
    startProgram(device);
    QVERIFY(program.waitForStarted(5000));

    QFile sample(QStringLiteral(TOLVAREN_SAMPLE));
    QVERIFY(sample.open(QIODevice::ReadOnly));
    const QStringList sampleLines =
        QString::fromUtf8(sample.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY(sampleLines.size() > 5);
    QStringList expected { diagnostic("Open port ", device.mid(5)), QStringLiteral("\"END\"") };
    for (const QString &line : sampleLines)
        expected.append(diagnostic("input: ", line));

    QVERIFY2(waitForDiagnostics(expected, 20000), qPrintable(diagnostics.right(2000)));
    QCOMPARE(program.state(), QProcess::Running);

    simulator.terminate();
    QVERIFY(simulator.waitForFinished(3000));
    QCOMPARE(simulator.exitStatus(), QProcess::NormalExit);
    QCOMPARE(simulator.exitCode(), 0);
}

void PortOptionTest::opensTheNamedDeviceWhenItAppears()
{
    // The named device is a link that does not exist yet when the program starts.
    QTemporaryDir devices;
    const QString link = devices.filePath(QStringLiteral("adapter"));
    const QString device = startSimulator({ QStringLiteral("--pause"), QStringLiteral("1") });
    QVERIFY(!device.isEmpty());
    startProgram(link);
    QVERIFY(program.waitForStarted(5000));
    // Its first look at the devices is written as their list.
    QTRY_VERIFY2_WITH_TIMEOUT(diagnostics.startsWith(QLatin1Char('('))
                                  || diagnostics.contains(QLatin1String("\n(")),
                              qPrintable(diagnostics), 10000);

    QElapsedTimer sinceAppearing;
    sinceAppearing.start();
    QVERIFY(QFile::link(device, link));
    QVERIFY(waitForDiagnostics({ diagnostic("Open port ", link) }, 5000));
    qInfo("The port was open %lld ms after its device appeared", sinceAppearing.elapsed());

    // And closed when it goes, once the line has hung up under it.
    simulator.terminate();
    QVERIFY(simulator.waitForFinished(3000));
    QVERIFY(QFile::remove(link));
    QVERIFY(waitForDiagnostics({ QStringLiteral("Close port") }, 5000));
}

QTEST_GUILESS_MAIN(PortOptionTest)
#include "tst_portoption.moc"
