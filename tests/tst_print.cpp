#include "device/serialdevicesource.h"
#include "mainwindow/mainwindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDateTimeEdit>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTimer>
#include <QtTest>

// These tests print for real on the queues that scripts/print-queue makes: PRINTER names the one
// whose backend keeps each job's document in TOLVAREN_PRINT_SPOOL.

namespace {

class NoSerialDevices : public SerialDeviceSource
{
public:
    QList<SerialDeviceInfo> scan() override { return {}; }
    void start() override { }
};

struct SeenBox
{
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons;
    bool hasDefaultButton = false;
};

// Answers every message box that opens while it lives: the first with the given button, any
// later one (a report) with its own first button; and remembers what each box showed.
class BoxAnswerer : public QObject
{
public:
    explicit BoxAnswerer(QMessageBox::StandardButton firstAnswer)
        : answer(firstAnswer)
    {
        connect(&timer, &QTimer::timeout, this, &BoxAnswerer::look);
        timer.start(20);
    }

    QList<SeenBox> boxes;

private:
    void look()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || box == answered)
            return;
        answered = box;
        boxes.append({ box->windowTitle(), box->text(), box->standardButtons(),
                       box->defaultButton() != nullptr });
        QAbstractButton *button = boxes.size() == 1 ? box->button(answer) : box->buttons().value(0);
        if (button)
            button->click();
        else
            box->reject();
    }

    QMessageBox::StandardButton answer;
    QTimer timer;
    QPointer<QMessageBox> answered;
};

// A job crosses the scheduler and its backend on their own time; the tests poll with a generous
// bound.
constexpr int jobTimeoutMs = 30000;

QString uniqueToken()
{
    return QStringLiteral("T%1x%2")
        .arg(QCoreApplication::applicationPid())
        .arg(QRandomGenerator::global()->bounded(1000000));
}

// Another test run may print on the same queue at the same time: a job is told apart by the
// token that the test put into its document.
QStringList spoolJobsHolding(const QString &token)
{
    QStringList jobs;
    const QDir spool(qEnvironmentVariable("TOLVAREN_PRINT_SPOOL"));
    for (const QString &name : spool.entryList({ QStringLiteral("job-*") }, QDir::Files)) {
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), { spool.filePath(name), QStringLiteral("-") });
        pdftotext.waitForFinished();
        const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
        if (text.contains(token))
            jobs.append(text);
    }
    return jobs;
}

QString queuedJobs(const QString &queue)
{
    QProcess lpstat;
    lpstat.start(QStringLiteral("lpstat"), { QStringLiteral("-o"), queue });
    lpstat.waitForFinished();
    return QString::fromLocal8Bit(lpstat.readAllStandardOutput()).trimmed();
}

} // namespace

class TestPrint : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void shouldPrintOneProtocolWhenAnsweredYes();
    void shouldPrintNothingWhenAnsweredNo();
    void shouldTellWhenThereIsNoPrinter();
    void shouldTellWhenThePrinterIsStopped();

private:
    // Prints from a window holding a transfer, answering the question as told.
    QList<SeenBox> printWith(QMessageBox::StandardButton answer);

    std::unique_ptr<MainWindow> window;
    QString token;
    QByteArray printerBefore;
};

void TestPrint::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("TOLVAREN_PRINT_SPOOL"))
        QSKIP("No test print queue: run eval \"$(scripts/print-queue start)\" first, or "
              "scripts/test, which does so.");
    printerBefore = qgetenv("PRINTER");
    QVERIFY2(!QPrinterInfo::defaultPrinter().isNull(),
             "The test print queue named by PRINTER is not known to CUPS.");
}

void TestPrint::init()
{
    token = uniqueToken();
    window = std::make_unique<MainWindow>(nullptr, new NoSerialDevices);
    window->receiveDelivery("DEVICE D1\r\nSN 7\r\nGROUP#A 11.25\r\nGROUP#A <0.5\r\n"
                            "GROUP#B 2.75\r\nGROUP#C a&b\r\nEND\r\n");
    window->findChild<QLineEdit *>(QStringLiteral("edtObject"))->setText(token);
    window->findChild<QLineEdit *>(QStringLiteral("edtInspector"))->setText("team B");
}

void TestPrint::cleanup()
{
    window.reset();
    qputenv("PRINTER", printerBefore);
}

QList<SeenBox> TestPrint::printWith(QMessageBox::StandardButton answer)
{
    BoxAnswerer answerer(answer);
    window->findChild<QAction *>(QStringLiteral("actionPrint"))->trigger();
    return answerer.boxes;
}

void TestPrint::shouldPrintOneProtocolWhenAnsweredYes()
{
    const QString date = window->findChild<QDateTimeEdit *>(QStringLiteral("dtmDate"))->text();
    const QList<SeenBox> boxes = printWith(QMessageBox::Yes);

    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.at(0).title, QStringLiteral("Print"));
    QCOMPARE(boxes.at(0).text, QStringLiteral("Do you want to print a table of changes?"));
    QCOMPARE(boxes.at(0).buttons, QMessageBox::Yes | QMessageBox::No);
    QVERIFY(!boxes.at(0).hasDefaultButton);

    QTRY_COMPARE_WITH_TIMEOUT(spoolJobsHolding(token).size(), 1, jobTimeoutMs);
    const QString text = spoolJobsHolding(token).value(0).simplified();
    for (const QString &expected :
         { QStringLiteral("PROTOCOL OF CONTROL"), QStringLiteral("DEVICE D1 SN 7"),
           QStringLiteral("THE OBJECT OF CONTROL ") + token, QStringLiteral("DATE ") + date,
           QStringLiteral("INSPECTOR team B"), QStringLiteral("MEASUREMENTS"),
           QStringLiteral("11.25"), QStringLiteral("<0.5"), QStringLiteral("2.75"),
           QStringLiteral("a&b") })
        QVERIFY2(text.contains(expected), qPrintable(expected + QStringLiteral(" in: ") + text));

    // The heading's letters stand so close that the text extraction joins them.
    QVERIFY2(QString(text).remove(QLatin1Char(' ')).startsWith(QStringLiteral("DIRIREZE")),
             qPrintable(text));

    // A second job would come right behind the first.
    QTest::qWait(1000);
    QCOMPARE(spoolJobsHolding(token).size(), 1);
}

void TestPrint::shouldPrintNothingWhenAnsweredNo()
{
    const QList<SeenBox> boxes = printWith(QMessageBox::No);

    QCOMPARE(boxes.size(), 1);
    QTest::qWait(3000);
    QVERIFY(spoolJobsHolding(token).isEmpty());
}

void TestPrint::shouldTellWhenThereIsNoPrinter()
{
    qputenv("PRINTER", "tolvaren-no-such-queue");
    if (!QPrinterInfo::defaultPrinter().isNull())
        QSKIP("This machine has a default printer of its own, which the test must not print on.");

    const QList<SeenBox> boxes = printWith(QMessageBox::Yes);

    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes.at(1).title, QStringLiteral("Print"));
    QVERIFY2(boxes.at(1).text.contains(QStringLiteral("no printer")), qPrintable(boxes.at(1).text));
    QTest::qWait(3000);
    QVERIFY(spoolJobsHolding(token).isEmpty());
}

void TestPrint::shouldTellWhenThePrinterIsStopped()
{
    const QByteArray stopped = qgetenv("TOLVAREN_STOPPED_PRINTER");
    if (stopped.isEmpty())
        QSKIP("No stopped test queue in TOLVAREN_STOPPED_PRINTER.");
    qputenv("PRINTER", stopped);

    const QList<SeenBox> boxes = printWith(QMessageBox::Yes);

    QCOMPARE(boxes.size(), 2);
    QVERIFY2(boxes.at(1).text.contains(QString::fromLocal8Bit(stopped)),
             qPrintable(boxes.at(1).text));
    QCOMPARE(queuedJobs(QString::fromLocal8Bit(stopped)), QString());
}

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
