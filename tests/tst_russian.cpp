#include "app/startup.h"
#include "mainwindow/mainwindow.h"
#include "nodevices.h"
#include "records/changefile.h"

#include <QAction>
#include <QBuffer>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
#include <QtTest>

// The shipped Russian translation, as an operator uses it: everything on screen speaks Russian,
// an instrument that speaks English is still understood, and files saved in either language read
// back exactly in either language.
class RussianTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void windowDialogsAndBoxesSpeakRussian();
    void englishTransferIsStillUnderstood();
    void filesReadBackExactlyAcrossLanguages_data();
    void filesReadBackExactlyAcrossLanguages();

private:
    void useRussian();
    void useEnglish();

    QTemporaryDir workingDirectory;
    QString previousDirectory;
    QTranslator program;
    QTranslator toolkit;
};

void RussianTest::init()
{
    previousDirectory = QDir::currentPath();
    QVERIFY(QDir::setCurrent(workingDirectory.path()));
    QFile::remove(QStringLiteral("tolvaren.qm"));
    QVERIFY(QFile::copy(QStringLiteral(SHIPPED_TRANSLATION), QStringLiteral("tolvaren.qm")));
    useRussian();
}

void RussianTest::cleanup()
{
    useEnglish();
    QDir::setCurrent(previousDirectory);
}

void RussianTest::useRussian()
{
    QVERIFY(installProgramTranslation(program));
    QVERIFY2(installToolkitTranslation(program, toolkit), "the toolkit's Russian is not installed");
}

void RussianTest::useEnglish()
{
    QCoreApplication::removeTranslator(&toolkit);
    QCoreApplication::removeTranslator(&program);
}

void RussianTest::windowDialogsAndBoxesSpeakRussian()
{
    MainWindow window(nullptr, new NoDevices);
    window.show();
    QCOMPARE(window.windowTitle(), QStringLiteral("Измерения"));
    QCOMPARE(window.findChild<QAction *>(QStringLiteral("actionSave"))->text(),
             QStringLiteral("Сохранить"));
    QCOMPARE(window.findChild<QLabel *>(QStringLiteral("label"))->text(), QStringLiteral("Объект"));

    QString dialogTitle;
    QTimer::singleShot(0, this, [&] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            dialogTitle = dialog->windowTitle();
            dialog->reject();
        }
    });
    window.findChild<QAction *>(QStringLiteral("actionHelp"))->trigger();
    QCOMPARE(dialogTitle, QStringLiteral("Справка"));

    QString boxText;
    QStringList buttonTexts;
    QTimer::singleShot(0, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        boxText = box->text();
        for (QAbstractButton *button : box->buttons())
            buttonTexts << button->text().remove(QLatin1Char('&'));
        box->button(QMessageBox::No)->click();
    });
    window.findChild<QAction *>(QStringLiteral("actionPrint"))->trigger();
    QCOMPARE(boxText, QStringLiteral("Напечатать таблицу изменений?"));
    buttonTexts.sort();
    QCOMPARE(buttonTexts, QStringList({ "Да", "Нет" }));
}

void RussianTest::englishTransferIsStillUnderstood()
{
    MainWindow window(nullptr, new NoDevices);
    window.receiveDelivery("DEVICE X-100\r\nSN 517\r\nGROUP#1 0.52\r\nGROUP#1 0.55\r\n"
                           "GROUP#2 1.07\r\nEND\r\n");
    QCOMPARE(window.instrumentName(), QStringLiteral("DEVICE X-100"));
    QCOMPARE(window.instrumentSerialNumber(), QStringLiteral("SN 517"));
    const QMap<QString, QStringList> expected = { { "GROUP#1", { "0.52", "0.55" } },
                                                  { "GROUP#2", { "1.07" } } };
    QCOMPARE(window.measurementStore(), expected);
}

void RussianTest::filesReadBackExactlyAcrossLanguages_data()
{
    QTest::addColumn<bool>("savedInRussian");
    QTest::addColumn<bool>("readInRussian");
    QTest::newRow("Russian to Russian") << true << true;
    QTest::newRow("Russian to English") << true << false;
    QTest::newRow("English to Russian") << false << true;
}

void RussianTest::filesReadBackExactlyAcrossLanguages()
{
    QFETCH(bool, savedInRussian);
    QFETCH(bool, readInRussian);

    ChangeFileContent saved;
    saved.object = QStringLiteral("Трубопровод 12");
    saved.inspector = QStringLiteral("Петрова А.");
    saved.dateTime = QDateTime(QDate(2026, 12, 5), QTime(14, 3, 9));
    saved.deviceName = QStringLiteral("DEVICE ТОЛЩИНОМЕР");
    saved.serialNumber = QStringLiteral("SN 517");
    saved.measurements = { { QStringLiteral("GROUP#1"), { "0.52", "0,55 мм" } } };

    if (!savedInRussian)
        useEnglish();
    QByteArray bytes;
    QBuffer file(&bytes);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(writeChangeFile(file, saved));
    file.close();
    QCOMPARE(bytes.startsWith(QStringLiteral("ОБЪЕКТ КОНТРОЛЯ ").toUtf8()), savedInRussian);

    if (savedInRussian != readInRussian) {
        if (readInRussian)
            useRussian();
        else
            useEnglish();
    }
    QVERIFY(file.open(QIODevice::ReadOnly));
    const ChangeFileContent read = readChangeFile(file);
    QCOMPARE(read.object, saved.object);
    QCOMPARE(read.inspector, saved.inspector);
    QCOMPARE(read.dateTime, saved.dateTime);
    QCOMPARE(read.deviceName, saved.deviceName);
    QCOMPARE(read.serialNumber, saved.serialNumber);
    QCOMPARE(read.measurements, saved.measurements);
    if (!readInRussian)
        useRussian();
}

QTEST_MAIN(RussianTest)
#include "tst_russian.moc"
