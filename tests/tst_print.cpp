#include "testing.h"

#include <QPrinterInfo>
#include <QRandomGenerator>
#include <QtTest>

// These tests print for real on the queues that scripts/print-queue makes: PRINTER names the one
// whose backend keeps each job's document in TOLVAREN_PRINT_SPOOL.
class TestPrint : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestWindow> w;
    // Another test run may print on the same queue at the same time: a job is told apart by the
    // token in its document. Digits only: text extraction gives letter pairs such as "ff" back as
    // one ligature.
    QString token;
    QDir spool;
    QStringList jobsBefore;
    QByteArray printerBefore;
    // The user's printer settings, where a test may make an instance of the test queue the
    // default, as "lpoptions -d" would.
    QTemporaryDir home;

    // The text of each job printed since the test began that holds the token.
    QStringList newJobs() const
    {
        QStringList jobs;
        for (const QString &name : spool.entryList({ QStringLiteral("job-*") }, QDir::Files)) {
            if (jobsBefore.contains(name))
                continue;
            const QString text = pdfPages(spool.filePath(name)).join('\f');
            if (text.contains(token))
                jobs.append(text);
        }
        return jobs;
    }
    QString print(QMessageBox::StandardButton answer, QStringList *said)
    {
        return operate([this] { w->trigger("actionPrint"); },
                       { press(answer, said), press(QMessageBox::Ok, said) });
    }

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("TOLVAREN_PRINT_SPOOL"))
            QSKIP("No test print queue: run eval \"$(scripts/print-queue start)\" first, or "
                  "scripts/test, which does so.");
        spool.setPath(qEnvironmentVariable("TOLVAREN_PRINT_SPOOL"));
        printerBefore = qgetenv("PRINTER");
        // Before the print service's library first looks at the home folder, which it then keeps.
        QVERIFY(QDir(home.path()).mkpath(".cups"));
        qputenv("HOME", home.path().toLocal8Bit());
    }

    void init()
    {
        token = QString::number(QRandomGenerator::global()->bounded(100000000, 999999999));
        jobsBefore = spool.entryList({ QStringLiteral("job-*") }, QDir::Files);
        w = std::make_unique<TestWindow>();
        w->widget<QLineEdit>("edtObject")->setText(token);
        w->widget<QLineEdit>("edtInspector")->setText("team B");
    }

    void cleanup()
    {
        qputenv("PRINTER", printerBefore);
        QFile::remove(home.filePath(".cups/lpoptions"));
    }

    // Asked first and answered No, then Yes: one job, of twelve groups of 45 readings, whose first
    // table runs on over the end of the first page, on an instance of the queue, which is the
    // user's default printer; none for a large protocol cancelled while it is laid out. What the
    // protocol says: tst_protocol.
    void shouldPrintOneProtocolWhenAnsweredYes()
    {
        qunsetenv("PRINTER");
        QVERIFY(
            writeFile(home.filePath(".cups/lpoptions"), "Default " + printerBefore + "/copy\n"));
        QString delivery = "DEVICE D1\r\nSN 7\r\n";
        for (int group = 1; group <= 12; ++group)
            delivery += QStringLiteral("GROUP#%1 0.5\r\n").arg(group).repeated(45);
        w->window->receiveDelivery((delivery + "END\r\n").toLatin1());
        QStringList said;
        QCOMPARE(print(QMessageBox::No, &said), "1 dialog(s) never shown");
        QCOMPARE(print(QMessageBox::Yes, &said), "1 dialog(s) never shown");
        QCOMPARE(said.mid(1, 2),
                 QStringList({ "Print", "Do you want to print a table of changes?" }));
        // A job crosses the scheduler and its backend on their own time. (A wait for exactly one
        // would count each try as its step, however long reading the jobs takes.)
        QTRY_VERIFY_WITH_TIMEOUT(!newJobs().isEmpty(), 30000);
        // No blank page at the end. Page 2 opens with the first table's group names again, then
        // the second table's ("GROUP#10" may break after its "#" in a narrow column).
        const QStringList pages = newJobs().value(0).split('\f');
        QCOMPARE(pages.size(), 2);
        QVERIFY2(pages[1].contains("Page 2 of 2"), qPrintable(pages[1]));
        QCOMPARE(pages[1].count("GROUP#"), 12);

        w->window->receiveDelivery("SN 1\r\n" + QByteArray("GROUP#1 0.5\r\n").repeated(40000)
                                   + "END\r\n");
        QCOMPARE(operate([this] { w->trigger("actionPrint"); },
                         { press(QMessageBox::Yes), cancelProgress }),
                 QString());
        // A second job would come right behind the first.
        QTest::qWait(3000);
        QCOMPARE(newJobs().size(), 1);
    }

    // No printer, a stopped one, then a queue that takes no jobs: the operator is told, and
    // nothing prints.
    void shouldSayWhenNothingIsPrinted()
    {
        const QByteArray rejecting = qgetenv("TOLVAREN_REJECTING_PRINTER");
        for (const QByteArray &printer : { QByteArray("tolvaren-no-such-queue"),
                                           qgetenv("TOLVAREN_STOPPED_PRINTER"), rejecting }) {
            if (printer.isEmpty())
                QSKIP("No stopped or rejecting test queue: scripts/print-queue makes them.");
            qputenv("PRINTER", printer);
            const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
            if (!defaultPrinter.isNull() && defaultPrinter.printerName() != printer)
                QSKIP("The machine's own default printer must not be used here.");
            QStringList said;
            QCOMPARE(print(QMessageBox::Yes, &said), QString());
            const QString report =
                printer.startsWith("tolvaren-no") ? "no printer" : QString(printer);
            QVERIFY2(said.value(6).contains(report), qPrintable(said.join('|')));
        }
    }
};

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
