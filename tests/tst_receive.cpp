#include "testing.h"

#include <QDateTimeEdit>
#include <QLabel>
#include <QtTest>

// The receive path as the window runs it: deliveries of bytes in; diagnostics, labels, date and
// table out. How the bytes become lines and transfers: tst_lineframer, tst_pendingtransfer.
class ReceiveTest : public QObject
{
    Q_OBJECT

private slots:
    // A last line without its line feed counts after the quiet interval. One line may carry
    // every marker: each effect comes, in the order device, serial, group, end.
    void transferIsShownAtItsEndWithItsTime()
    {
        TestWindow w;
        const QDateTime longAgo(QDate(2001, 2, 3), QTime(4, 5, 6));
        w.widget<QDateTimeEdit>("dtmDate")->setDateTime(longAgo);
        w.window->findChild<QTimer *>(QStringLiteral("quietTimer"))->setInterval(1);
        DiagnosticsCapture diagnostics;
        const QString line = QStringLiteral("DEVICE SN GROUP#1 0.5 END");
        w.window->receiveDelivery("GROUP#0 old\r\n" + line.toLatin1());
        QTRY_COMPARE(w.table(), QStringList({ "DEVICE SN GROUP#1", "0.5 END" }));
        QCOMPARE(QStringList({ w.window->instrumentName(), w.window->instrumentSerialNumber() }),
                 QStringList({ line, line }));
        QVERIFY(w.widget<QDateTimeEdit>("dtmDate")->dateTime() != longAgo);
        QCOMPARE(diagnostics.messages.filter("input:"),
                 QStringList({ "input:  \"GROUP#0 old\"", "input:  \"" + line + '"' }));
    }

    // A transfer cut off by the next one's serial-number line is kept with its own readings only,
    // and so is the next one, still arriving at Exit (which closes the window as the window
    // manager does).
    void cutOffTransfersAreKeptWithTheirOwnReadings()
    {
        QTemporaryDir folder;
        TestWindow w;
        w.window->setTransferArchiveFolder(folder.path());
        w.window->receiveDelivery(
            "DEVICE X\r\nSN 7\r\nGROUP#1 a\r\nGROUP#2 b\r\nGROUP#2 c\r\nSN 8\r\nGROUP#2 d");
        // In the program's own event loop, which Exit ends; a guard ends it otherwise.
        const QObject guard;
        QTimer::singleShot(20000, &guard, [] { QCoreApplication::exit(1); });
        QTimer::singleShot(0, w.window.get(), [&w] { w.trigger("actionExit"); });
        QCOMPARE(QApplication::exec(), 0);
        QStringList files;
        for (const QFileInfo &file : QDir(folder.path()).entryInfoList(QDir::Files | QDir::Hidden))
            files << file.fileName().section(u'_', 2) + ' '
                    + QString::fromUtf8(readFile(file.filePath()))
                          .section("\r\n", 5)
                          .trimmed()
                          .replace("\r\n", " ");
        QCOMPARE(files,
                 QStringList(
                     { "SN-7_cut-off.csv GROUP#1;a GROUP#2;b;c", "SN-8_cut-off.csv GROUP#2;d" }));
    }

    // Line noise often holds "SN" or "DEVICE"; a label that widened the window to such a line once
    // made it hundreds of thousands of pixels wide.
    void longDeviceAndSerialLinesLeaveTheWindowItsSize()
    {
        TestWindow w;
        w.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
        const int width = w.window->width();
        const QByteArray run(60000, 'x');
        w.window->receiveDelivery("DEVICE " + run + "\r\nSN " + run + "\r\n");
        QTest::qWait(50);
        QCOMPARE(w.window->width(), width);
        QVERIFY(w.window->minimumSize().width() <= width);
    }
};

QTEST_MAIN(ReceiveTest)
#include "tst_receive.moc"
