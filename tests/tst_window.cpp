#include "app/optionalfile.h"
#include "app/startup.h"
#include "testing.h"

#include <QPushButton>
#include <QToolBar>
#include <QtTest>

namespace {

QStringList warnings;
void captureWarnings(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        warnings << message;
}

QByteArray page(const char *body)
{
    return QByteArray("<html><body><p>") + body + "</p></body></html>";
}

} // namespace

// The main window as the operator first meets it, and the pages that Help and About show.
class WindowTest : public QObject
{
    Q_OBJECT

private slots:
    void buildsItsWidgetsAndToolbarWithoutAWarning()
    {
        // Among others, the by-name connection of the form warns of every handler without a signal.
        warnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler(captureWarnings);
        applyProgramStyle();
        TestWindow w;
        QCoreApplication::processEvents();
        qInstallMessageHandler(previous);
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(u'\n')));

        for (const char *name :
             { "lblDevice", "lblZav", "dtmDate", "edtObject", "edtInspector", "tableMeasurement" })
            QVERIFY2(w.widget(name), name);
        auto *toolBar = w.widget<QToolBar>("mainToolBar");
        QStringList shown;
        for (QAction *action : toolBar->actions())
            shown << action->objectName() + toolBar->widgetForAction(action)->objectName();
        QCOMPARE(shown,
                 QStringList({ "actionConnection", "actionRead", "actionSave", "actionPrint",
                               "actionHelp", "actionExit", "toolBarSpacer", "logoButton" }));
    }

    void logoComesFromTheWorkingDirectoryWhenPresent()
    {
        WorkingDirectory here;
        const auto logoColour = [] {
            return TestWindow()
                .widget<QPushButton>("logoButton")
                ->icon()
                .pixmap(QSize(220, 42))
                .toImage()
                .pixelColor(110, 21);
        };
        QVERIFY(logoColour() != QColor(Qt::red));
        QImage red(220, 42, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(QStringLiteral("logo.png")));
        QCOMPARE(logoColour(), QColor(Qt::red));
    }

    void exitEndsTheProgramWithZero()
    {
        TestWindow w;
        w.window->show();
        QTimer::singleShot(0, w.window.get(), [&w] { w.trigger("actionExit"); });
        QCOMPARE(QApplication::exec(), 0);
    }

    void pagesAreReadAtEveryOpeningWorkingDirectoryFirst()
    {
        WorkingDirectory here;
        TestWindow w;
        w.window->show();
        const auto open = [](const std::function<void()> &action) {
            QStringList seen;
            const QString problems = operate(action, { readPage(&seen) });
            return problems.isEmpty() ? seen : QStringList { problems };
        };
        const auto trigger = [&w](const char *action) {
            return [&w, action] { w.trigger(action); };
        };

        // A missing page still opens its dialog, which names the page.
        const QStringList missing = open(trigger("actionHelp"));
        QVERIFY2(missing.value(1).contains("help.html"), qPrintable(missing.join(u'|')));
        QVERIFY(writeFile("help.html", page("Help")));
        QCOMPARE(open(trigger("actionHelp")), QStringList({ "Help", "Help" }));

        // The data folder that an installation beside this test program would have.
        const QDir dataFolder(installedDataFolder());
        QVERIFY(dataFolder.mkpath(QStringLiteral(".")));
        const QString installed = dataFolder.filePath(QStringLiteral("about.html"));
        const auto removeInstalled = qScopeGuard([&] { QFile::remove(installed); });
        QVERIFY(writeFile(installed, page("Installed")));
        const auto logo = [&w] { w.widget<QPushButton>("logoButton")->click(); };
        QCOMPARE(open(logo), QStringList({ "About", "Installed" }));
        QVERIFY(writeFile("about.html", page("First")));
        QCOMPARE(open(trigger("actionAbout")), QStringList({ "About", "First" }));
        QVERIFY(writeFile("about.html", page("Second")));
        QCOMPARE(open(trigger("actionAbout")), QStringList({ "About", "Second" }));
    }
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
