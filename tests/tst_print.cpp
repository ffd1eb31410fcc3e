#include "mainwindow/mainwindow.h"
#include "nodevices.h"

#include <QAbstractButton>
#include <QAction>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QProcess>
#include <QUuid>
#include <QtTest>

// These tests print for real on the queues that scripts/print-queue makes: PRINTER names the one
// whose backend keeps each job's document in TOLVAREN_PRINT_SPOOL.

namespace {

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

} // namespace

class TestPrint : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindow> window;
    QString token;
    QByteArray printerBefore;

    // Triggers Print, answering the question with the given button and any later box (a report)
    // with its own first button. Gives each box's title, text, buttons and default button if set.
    QList<QStringList> printWith(QMessageBox::StandardButton answer)
    {
        QList<QStringList> boxes;
        QPointer<QMessageBox> answered;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || box == answered)
                return;
            answered = box;
            boxes.append({ box->windowTitle(), box->text(),
                           QString::number(int(box->standardButtons())),
                           box->defaultButton() ? "default" : "" });
            QAbstractButton *button = boxes.size() == 1 ? box->button(answer) : box->buttons()[0];
            button ? button->click() : box->reject();
        });
        timer.start(20);
        window->findChild<QAction *>("actionPrint")->trigger();
        return boxes;
    }

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("TOLVAREN_PRINT_SPOOL"))
            QSKIP("No test print queue: run eval \"$(scripts/print-queue start)\" first, or "
                  "scripts/test, which does so.");
        printerBefore = qgetenv("PRINTER");
    }

    void init()
    {
        token = "T" + QUuid::createUuid().toString(QUuid::Id128).left(12);
        window = std::make_unique<MainWindow>(nullptr, new NoDevices);
        window->receiveDelivery("DEVICE D1\r\nSN 7\r\nGROUP#A 11.25\r\nGROUP#A <0.5\r\n"
                                "GROUP#B 2.75\r\nGROUP#C a&b\r\nEND\r\n");
        window->findChild<QLineEdit *>("edtObject")->setText(token);
        window->findChild<QLineEdit *>("edtInspector")->setText("team B");
    }

    void cleanup() { qputenv("PRINTER", printerBefore); }

    void shouldPrintOneProtocolWhenAnsweredYes()
    {
        const QString date = window->findChild<QDateTimeEdit *>("dtmDate")->text();
        QCOMPARE(printWith(QMessageBox::Yes),
                 (QList<QStringList> { { "Print", "Do you want to print a table of changes?",
                                         QString::number(int(QMessageBox::Yes | QMessageBox::No)),
                                         "" } }));
        // A job crosses the scheduler and its backend on their own time.
        QTRY_COMPARE_WITH_TIMEOUT(spoolJobsHolding(token).size(), 1, 30000);
        const QString text = spoolJobsHolding(token).value(0).simplified();
        for (const QString &expected :
             QStringList { "PROTOCOL OF CONTROL", "DEVICE D1 SN 7",
                           "THE OBJECT OF CONTROL " + token, "DATE " + date, "INSPECTOR team B",
                           "MEASUREMENTS", "11.25", "<0.5", "2.75", "a&b" })
            QVERIFY2(text.contains(expected), qPrintable(expected + " in: " + text));
        // The heading's letters stand so close that the text extraction joins them.
        QVERIFY2(QString(text).remove(' ').startsWith("DIRIREZE"), qPrintable(text));
        // A second job would come right behind the first.
        QTest::qWait(1000);
        QCOMPARE(spoolJobsHolding(token).size(), 1);
    }

    void shouldMakeNoJobWhenNotPrinting_data()
    {
        const QByteArray stopped = qgetenv("TOLVAREN_STOPPED_PRINTER");
        QTest::addColumn<QByteArray>("printer");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("report"); // a text the second box holds, if there must be one
        QTest::newRow("answered No") << qgetenv("PRINTER") << false << QString();
        QTest::newRow("no printer") << QByteArray("tolvaren-no-such-queue") << true << "no printer";
        QTest::newRow("printer stopped") << stopped << true << QString::fromLocal8Bit(stopped);
    }

    void shouldMakeNoJobWhenNotPrinting()
    {
        QFETCH(QByteArray, printer);
        QFETCH(bool, yes);
        QFETCH(QString, report);
        if (printer.isEmpty())
            QSKIP("No stopped test queue in TOLVAREN_STOPPED_PRINTER.");
        qputenv("PRINTER", printer);
        const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
        if (!defaultPrinter.isNull() && defaultPrinter.printerName() != printer)
            QSKIP("This machine has a default printer of its own, which the test must not use.");

        const QList<QStringList> boxes = printWith(yes ? QMessageBox::Yes : QMessageBox::No);
        QCOMPARE(boxes.size(), report.isEmpty() ? 1 : 2);
        if (!report.isEmpty())
            QVERIFY2(boxes[1][0] == "Print" && boxes[1][1].contains(report),
                     qPrintable(boxes[1].join('|')));
        QTest::qWait(3000);
        QVERIFY(spoolJobsHolding(token).isEmpty());
        QProcess lpstat; // a stopped queue would hold the job
        lpstat.start(QStringLiteral("lpstat"), { QStringLiteral("-o"), printer });
        lpstat.waitForFinished();
        QVERIFY2(!yes || lpstat.readAllStandardOutput().trimmed().isEmpty(), qPrintable(printer));
    }
};

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
