#include "app/caretblink.h"
#include "app/startup.h"
#include "files/optionalfile.h"
#include "records/changefile.h"
#include "testing.h"

#include <QAccessible>
#include <QDateTimeEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStyleHints>
#include <QToolBar>
#include <QtTest>

#include <sys/stat.h>

// The main window as the operator first meets it, and the pages that Help and About show.
class WindowTest : public QObject
{
    Q_OBJECT

private slots:
    void opensWithoutAWarningOnTheMomentItStarted()
    {
        // Among others, the by-name connection of the form warns of every handler without a signal.
        QTest::failOnWarning(QRegularExpression("."));
        applyProgramStyle();
        TestWindow w;
        QCoreApplication::processEvents();

        // It opens on the moment it started.
        const QDateTime date = w.widget<QDateTimeEdit>("dtmDate")->dateTime();
        QVERIFY2(qAbs(date.secsTo(QDateTime::currentDateTime())) < 60, qPrintable(date.toString()));
    }

    // Nobody at the computer: the caret stands still; the next key or click makes it blink again.
    void caretRestsWithoutInputAndBlinksAgainAtInput()
    {
        QStyleHints *hints = QGuiApplication::styleHints();
        const int flashTime = hints->cursorFlashTime();
        TestWindow w;
        w.window->show();
        CaretBlinkTimeout caret(50);
        QTRY_COMPARE(hints->cursorFlashTime(), 0);
        QTest::keyClick(w.widget("edtObject"), Qt::Key_A);
        QCOMPARE(hints->cursorFlashTime(), flashTime);
        QTRY_COMPARE(hints->cursorFlashTime(), 0);
        QTest::mouseClick(w.widget("edtInspector"), Qt::LeftButton);
        QCOMPARE(hints->cursorFlashTime(), flashTime);
    }

    // The working directory's page wins when it is sound; a FIFO there is passed over, as is a
    // logo that is no sound image, without blocking the window.
    void pagesAreReadAtEveryOpeningWorkingDirectoryFirst()
    {
        WorkingDirectory here;
        QVERIFY(::mkfifo("about.html", 0644) == 0 && ::mkfifo("logo.png", 0644) == 0);
        TestWindow w;
        w.window->show();
        // The logo stands for About where no action is named.
        auto *logo = w.widget<QPushButton>("logoButton");
        QCOMPARE(logo->icon().pixmap(220, 42).toImage(),
                 QIcon(":/images/logo.png").pixmap(220, 42).toImage());
        const auto open = [&w, logo](const char *action = nullptr) {
            QStringList seen;
            const QString problems =
                operate([&] { action ? w.trigger(action) : logo->click(); }, { readPage(&seen) });
            return problems.isEmpty() ? seen : QStringList { problems };
        };

        // A missing page still opens its dialog, which names the page.
        const QStringList missing = open("actionHelp");
        QVERIFY2(missing.value(1).contains("help.html"), qPrintable(missing.join(u'|')));
        for (const char *page : { "Help", "Changed help" }) {
            QVERIFY(writeFile("help.html", page));
            QCOMPARE(open("actionHelp"), QStringList({ "Help", page }));
        }

        // The data folder's page in the locale's language.
        const QString russian =
            QDir(installedDataFolder()).filePath(QStringLiteral("ru/about.html"));
        const auto removeInstalled = qScopeGuard([&] {
            QFile::remove(russian);
            QLocale::setDefault(QLocale::c());
        });
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        QVERIFY(QDir().mkpath(QFileInfo(russian).path()) && writeFile(russian, "Russian"));
        const QString version = "Version " TOLVAREN_VERSION;
        QCOMPARE(open(), QStringList({ "About", "Russian", version }));
        QVERIFY(QFile::remove("about.html") && writeFile("about.html", "First"));
        QCOMPARE(open(), QStringList({ "About", "First", version }));
        QVERIFY(writeFile("about.html", "Second"));
        QCOMPARE(open("actionAbout"), QStringList({ "About", "Second", version }));
    }

    // Tab leaves the table for the logo (the only way to About), Alt and a label's letter reach its
    // field, the standard keys and Alt with a menu's letter reach the actions from a field, and a
    // screen reader hears what each part is.
    void keyboardAndScreenReaderReachEveryPart()
    {
        TestWindow w;
        w.window->receiveDelivery("SN 517\nGROUP#1 0.52\nGROUP#2 1.07\nEND\n");
        w.window->show();
        w.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
        w.widget("tableMeasurement")->setFocus();
        QTest::keyClick(w.widget("tableMeasurement"), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w.widget("logoButton"));
        QTest::keyClick(w.window.get(), Qt::Key_O, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), w.widget("edtObject"));
        QTest::keyClick(w.window.get(), Qt::Key_I, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), w.widget("edtInspector"));

        // The desktop's standard keys, typed in a field, and Alt with a menu's letter. (Exit's key
        // is the desktop's own, and the offscreen platform has none.)
        QStringList reached;
        for (QAction *action : w.window->findChildren<QAction *>()) {
            action->disconnect(w.window.get());
            connect(action, &QAction::triggered,
                    [&reached, action] { reached << action->objectName(); });
        }
        for (QMenu *menu : w.window->findChildren<QMenu *>())
            connect(menu, &QMenu::aboutToShow, [&reached, menu] { reached << menu->objectName(); });
        for (const char *keys :
             { "Ctrl+O", "Ctrl+S", "Ctrl+P", "F1", "Ctrl+H", "Ctrl+Shift+H", "Alt+F", "Alt+H" }) {
            QTest::keySequence(QApplication::focusWidget(), QKeySequence(keys));
            if (QWidget *menu = QApplication::activePopupWidget())
                menu->close();
        }
        QCOMPARE(reached,
                 QStringList({ "actionRead", "actionSave", "actionPrint", "actionHelp",
                               "actionHistory", "actionCompare", "menuFile", "menuHelp" }));

        QWidget *indicator = w.widget<QToolBar>("mainToolBar")
                                 ->widgetForAction(w.widget<QAction>("actionConnection"));
        QStringList heard;
        for (QWidget *part : { w.widget("dtmDate"), w.widget("edtObject"), w.widget("edtInspector"),
                               w.widget("tableMeasurement"), w.widget("logoButton"), indicator })
            heard << QAccessible::queryAccessibleInterface(part)->text(QAccessible::Name);
        heard << QAccessible::queryAccessibleInterface(indicator)->text(QAccessible::Description);
        QCOMPARE(
            heard,
            QStringList({ "Date of control", "Object of control", "Inspector's name", "Readings",
                          "About tolvaren", "Connection indicator", "No instrument connected" }));
    }

    // The window's size, the folders of Read and Save, and the ten files of changes last read or
    // saved, the newest first, come back at the next start; a settings file that cannot be read
    // or written costs nothing else.
    void remembersItsPlaceFoldersAndRecentFiles()
    {
        WorkingDirectory here;
        const QString settingsFile = testConfigHome + "/tolvaren/tolvaren.conf";
        QFile::remove(settingsFile);
        const QByteArray changes = "THE OBJECT OF CONTROL P\r\nINSPECTOR I\r\n05.12.2026 "
                                   "14:03:09\r\nDEVICE D\r\nSN 1\r\nGROUP#1;5\r\n";
        QVERIFY(QDir().mkpath("read") && QDir().mkpath("saved"));
        const auto path = [&here](const QString &name) { return here.folder.filePath(name); };
        {
            TestWindow w;
            w.window->show();
            w.window->resize(731, 437);
            for (int i = 0; i < 11; ++i) {
                QVERIFY(writeFile(path("read/%1.csv").arg(i), changes));
                QVERIFY(w.window->readChangesFrom(path("read/%1.csv").arg(i)));
            }
            QCOMPARE(operate([&w] { w.trigger("actionSave"); }, { choose(path("saved/s.csv")) }),
                     QString());
            QVERIFY(w.window->readChangesFrom(path("read/5.csv")));
            w.window->close();
        }
        TestWindow w;
        QCOMPARE(w.window->size(), QSize(731, 437));
        QStringList recent;
        for (QAction *action : w.widget<QMenu>("menuRecent")->actions())
            recent << action->text().remove(path("") + "/");
        QCOMPARE(recent,
                 QStringList({ "&1 read/5.csv", "&2 saved/s.csv", "&3 read/10.csv", "&4 read/9.csv",
                               "&5 read/8.csv", "&6 read/7.csv", "&7 read/6.csv", "&8 read/4.csv",
                               "&9 read/3.csv", "&0 read/2.csv", "", "&Clear the list" }));
        QStringList startFolders;
        const Step note = [&startFolders](QWidget *modal) {
            startFolders << qobject_cast<QFileDialog *>(modal)->directory().path();
            return QMetaObject::invokeMethod(modal, "reject");
        };
        QCOMPARE(operate([&w] { w.trigger("actionRead"); }, { note }), QString());
        QCOMPARE(operate([&w] { w.trigger("actionSave"); }, { note }), QString());
        QCOMPARE(startFolders, QStringList({ path("read"), path("saved") }));

        QFile::remove(settingsFile);
        QVERIFY(QDir().mkpath(settingsFile)); // a folder cannot be read or written as a file
        TestWindow unsettled;
        QVERIFY(unsettled.window->readChangesFrom(path("read/3.csv")));
        QCOMPARE(unsettled.text("edtObject"), "P");
        QVERIFY(unsettled.widget<QStatusBar>("statusBar")
                    ->currentMessage()
                    .startsWith("The settings could not be written"));
        QVERIFY(QDir(settingsFile).removeRecursively());
    }

    // A received transfer's message fits the window's default size; a longer one is elided with
    // the whole text in its tooltip, and every message but the passing ones can be read again.
    // Names typed after a transfer reach its kept file when the next one arrives or at quit.
    void transferMessagesFitAndTypedNamesAreKept()
    {
        WorkingDirectory here;
        TestWindow w;
        w.window->setTransferArchiveFolder(here.folder.path());
        w.window->show();
        auto *shown = w.widget<QLabel>("statusMessage");
        auto *statusBar = w.widget<QStatusBar>("statusBar");
        const auto message = [statusBar] { return statusBar->currentMessage(); };
        w.window->receiveDelivery("DEVICE X-1000 THICKNESS GAUGE\nSN 00517\nGROUP#1 5\nEND\n");
        QVERIFY2(message().contains("Kept as ") && shown->text() == message()
                     && shown->toolTip().isEmpty(),
                 qPrintable(shown->text()));
        const QString first =
            here.folder.filePath(QDir(here.folder.path()).entryList(QDir::Files)[0]);
        w.widget<QLineEdit>("edtObject")->setText("Pipe 12");
        w.window->receiveDelivery("SN " + QByteArray(200, '7') + "\nGROUP#1 6\nEND\n");
        const QString longMessage = message();
        QVERIFY2(shown->text().endsWith(u'…') && shown->toolTip() == longMessage,
                 qPrintable(shown->text()));
        const QString second =
            here.folder.filePath(QDir(here.folder.path()).entryList(QDir::Files)[1]);
        w.widget<QLineEdit>("edtInspector")->setText("Team 2");
        // The selection's figures pass; a message of another kind stays when the selection goes.
        auto *table = w.widget<QTableView>("tableMeasurement");
        table->selectAll();
        QVERIFY2(message().startsWith("1 reading · min 6"), qPrintable(message()));
        statusBar->showMessage("news");
        table->clearSelection();
        QCOMPARE(message(), "news");
        w.window->close();
        const auto names = [](const QString &kept) {
            QFile file(kept);
            const Control content =
                file.open(QIODevice::ReadOnly) ? readChangeFile(file) : Control();
            return content.object + '|' + content.inspector;
        };
        QCOMPARE(names(first), "Pipe 12|Inspector's name");
        QCOMPARE(names(second), "Pipe 12|Team 2");

        QStringList log;
        QCOMPARE(
            operate(
                [&w] { w.trigger("actionMessages"); }, { [&log](QWidget *modal) {
                    log = modal->findChild<QPlainTextEdit *>("messages")->toPlainText().split('\n');
                    return QMetaObject::invokeMethod(modal, "reject");
                } }),
            QString());
        QCOMPARE(log.size(), 3);
        QVERIFY2(log[0].contains("Received from DEVICE X-1000") && log[1].endsWith(longMessage)
                     && log[2].endsWith("news"),
                 qPrintable(log.join(u'|')));
    }
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
