#include "app/startup.h"
#include "records/changefile.h"
#include "testing.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QStatusBar>
#include <QTextCodec>
#include <QTranslator>
#include <QtTest>

// The shipped Russian translation as an operator uses it: the window and the protocol speak
// Russian, an instrument that speaks English is still understood, and files saved in either
// language read back exactly in either language.
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
    // default size.
    void windowSpeaksRussianAndUnderstandsEnglishTransfers()
    {
        TestWindow w;
        w.window->setTransferArchiveFolder(here.folder.filePath("kept"));
        w.window->show();
        QCOMPARE(w.window->windowTitle(), QStringLiteral("Измерения"));
        w.window->receiveDelivery(QTextCodec::codecForName("CP866")->fromUnicode(
            "DEVICE ТОЛЩИНОМЕР Т-100\r\nSN 00517\r\nGROUP#1 0.52\r\nGROUP#12 1\r\nEND\r\n"));
        QCOMPARE(w.window->measurementStore().value("GROUP#1"), QStringList { "0.52" });
        QCOMPARE(w.window->windowTitle(), "DEVICE ТОЛЩИНОМЕР Т-100 SN 00517 — Измерения");
        const QString message = w.widget<QStatusBar>("statusBar")->currentMessage();
        QVERIFY2(message.contains("Сохранено: ")
                     && w.widget<QLabel>("statusMessage")->text() == message,
                 qPrintable(message));
    }

    void filesReadBackExactlyInEitherLanguage()
    {
        const ChangeFilePrefixes russian = ChangeFilePrefixes::current();
        const ChangeFilePrefixes english = ChangeFilePrefixes::untranslated();
        QCOMPARE(russian.object, QStringLiteral("ОБЪЕКТ КОНТРОЛЯ "));
        // No ";" and no line break in any text; every group holds a value.
        const QString alphabet = QStringLiteral("aZ09 #.,:-_'\"/\\<>ёЖщЯ№ä€\t");
        QRandomGenerator random(20261205);
        const auto text = [&](int maxLength) {
            QString result;
            for (int i = random.bounded(maxLength + 1); i > 0; --i)
                result += alphabet.at(random.bounded(int(alphabet.size())));
            return result;
        };
        for (int round = 0; round < 400; ++round) {
            Control saved { text(20), text(20), {}, text(15), text(15), {} };
            saved.dateTime = QDateTime(QDate(1990, 1, 1).addDays(random.bounded(20000)),
                                       QTime(0, 0).addSecs(random.bounded(86400)));
            for (int groups = random.bounded(8); groups > 0; --groups) {
                QStringList &values = saved.measurements[text(8)];
                for (int n = 1 + random.bounded(6); n > 0; --n)
                    values << text(6);
            }
            QByteArray bytes;
            QBuffer file(&bytes);
            QVERIFY(file.open(QIODevice::WriteOnly)
                    && writeChangeFile(file, saved, round % 2 ? russian : english));
            file.close();
            QVERIFY(file.open(QIODevice::ReadOnly));
            const Control read = readChangeFile(file, round / 2 % 2 ? russian : english);
            QCOMPARE(
                QStringList({ read.object, read.inspector, read.deviceName, read.serialNumber }),
                QStringList(
                    { saved.object, saved.inspector, saved.deviceName, saved.serialNumber }));
            QCOMPARE(read.dateTime, saved.dateTime);
            QCOMPARE(read.measurements, saved.measurements);
        }
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
