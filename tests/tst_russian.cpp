#include "app/startup.h"
#include "records/changefile.h"
#include "testing.h"

#include <QStatusBar>
#include <QTextCodec>
#include <QTranslator>
#include <QtTest>

// The shipped Russian translation as an operator uses it: the window, the files and the protocol
// speak Russian, and an instrument that speaks English is still understood.
class RussianTest : public QObject
{
    Q_OBJECT

    WorkingDirectory here;
    QTranslator program;
    QTranslator toolkit;

private slots:
    void initTestCase()
    {
        QVERIFY(QFile::copy(QStringLiteral(SHIPPED_TRANSLATION), QStringLiteral("tolvaren.qm")));
        QVERIFY(installProgramTranslation(program));
        installToolkitTranslation(program, toolkit);
    }

    // The title names the instrument shown, and the longest ordinary message fits the window's
    // default size. Files are written with the prefixes that tst_changefile reads.
    void windowSpeaksRussianAndUnderstandsEnglishTransfers()
    {
        TestWindow w;
        w.window->setTransferArchiveFolder(here.folder.filePath("kept"));
        w.window->show();
        QCOMPARE(w.window->windowTitle(), QStringLiteral("Измерения"));
        w.window->receiveDelivery(QTextCodec::codecForName("CP866")->fromUnicode(
            "DEVICE ТОЛЩИНОМЕР Т-100\r\nSN 00517\r\nGROUP#1 0.52\r\nGROUP#12 1\r\nEND\r\n"));
        QCOMPARE(w.table(), QStringList({ "GROUP#1|GROUP#12", "0.52|1" }));
        QCOMPARE(w.window->windowTitle(), "DEVICE ТОЛЩИНОМЕР Т-100 SN 00517 — Измерения");
        const QString message = w.widget<QStatusBar>("statusBar")->currentMessage();
        QVERIFY2(message.contains("Сохранено: ")
                     && w.widget<QLabel>("statusMessage")->text() == message,
                 qPrintable(message));
        const ChangeFilePrefixes prefixes = ChangeFilePrefixes::current();
        QCOMPARE(prefixes.object + prefixes.inspector, "ОБЪЕКТ КОНТРОЛЯ ИНСПЕКТОР ");
    }

    // The protocol speaks Russian down to its page numbers, which are painted beside its text.
    void protocolSpeaksRussian()
    {
        const QString text = protocolPdfPages({}).join(' ').simplified();
        QVERIFY2(text.contains("ПРОТОКОЛ КОНТРОЛЯ") && text.contains("Страница 1 из 1"),
                 qPrintable(text));
    }
};

QTEST_MAIN(RussianTest)
#include "tst_russian.moc"
