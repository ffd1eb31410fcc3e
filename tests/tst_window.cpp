#include "app/optionalfile.h"
#include "app/startup.h"
#include "testing.h"

#include <QPushButton>
#include <QToolBar>
#include <QtTest>

// The main window as the operator first meets it, and the pages that Help and About show.
class WindowTest : public QObject
{
    Q_OBJECT

private slots:
    void buildsItsWidgetsAndToolbarWithoutAWarning()
    {
        // Among others, the by-name connection of the form warns of every handler without a signal.
        QTest::failOnWarning(QRegularExpression("."));
        applyProgramStyle();
        TestWindow w;
        QCoreApplication::processEvents();

        auto *toolBar = w.widget<QToolBar>("mainToolBar");
        QStringList shown;
        for (QAction *action : toolBar->actions())
            shown << action->objectName() + toolBar->widgetForAction(action)->objectName();
        QCOMPARE(shown,
                 QStringList({ "actionConnection", "actionRead", "actionSave", "actionPrint",
                               "actionHelp", "actionExit", "toolBarSpacer", "logoButton" }));
    }

    void pagesAreReadAtEveryOpeningWorkingDirectoryFirst()
    {
        WorkingDirectory here;
        TestWindow w;
        w.window->show();
        // The logo stands for About where no action is named.
        const auto open = [&w](const char *action = nullptr) {
            QStringList seen;
            auto *logo = w.widget<QPushButton>("logoButton");
            const QString problems =
                operate([&] { action ? w.trigger(action) : logo->click(); }, { readPage(&seen) });
            return problems.isEmpty() ? seen : QStringList { problems };
        };

        // A missing page still opens its dialog, which names the page.
        const QStringList missing = open("actionHelp");
        QVERIFY2(missing.value(1).contains("help.html"), qPrintable(missing.join(u'|')));
        QVERIFY(writeFile("help.html", "Help"));
        QCOMPARE(open("actionHelp"), QStringList({ "Help", "Help" }));

        QVERIFY(writeFile("about.html", "First"));
        QCOMPARE(open(), QStringList({ "About", "First" }));
        QVERIFY(writeFile("about.html", "Second"));
        QCOMPARE(open("actionAbout"), QStringList({ "About", "Second" }));
    }
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
