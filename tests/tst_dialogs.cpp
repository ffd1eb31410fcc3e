#include "app/optionalfile.h"
#include "mainwindow/mainwindow.h"
#include "nodevices.h"

#include <QAction>
#include <QDialog>
#include <QPushButton>
#include <QTextBrowser>
#include <QtTest>

// Help and About: modal dialogs that show the page files of the working directory, read anew at
// every opening.
class DialogsTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void opensModallyWithThePageOfTheWorkingDirectory_data();
    void opensModallyWithThePageOfTheWorkingDirectory();
    void showsAChangedPageAtTheNextOpening();
    void missingPageStillOpensAndSaysWhichPage();
    void logoButtonOpensAbout();
    void dataFolderProvidesPagesAndWorkingDirectoryWins();

private:
    struct Seen
    {
        QString objectName;
        QString title;
        QSize size;
        bool applicationModal = false;
        QString text;
        bool iconPresent = false;
        QSize viewSize;
    };
    // Runs the trigger and records the modal dialog it opens, then closes it.
    Seen openAndClose(const std::function<void()> &trigger);
    void writePage(const QString &name, const QString &body);

    QTemporaryDir workingDirectory;
    QString previousDirectory;
    std::unique_ptr<MainWindow> window;
};

void DialogsTest::init()
{
    previousDirectory = QDir::currentPath();
    QVERIFY(QDir::setCurrent(workingDirectory.path()));
    window = std::make_unique<MainWindow>(nullptr, new NoDevices);
    window->show();
}

void DialogsTest::cleanup()
{
    window.reset();
    QDir::setCurrent(previousDirectory);
    for (const QString &file : QDir(workingDirectory.path()).entryList(QDir::Files))
        QFile::remove(workingDirectory.filePath(file));
}

void DialogsTest::writePage(const QString &name, const QString &body)
{
    QFile page(name);
    QVERIFY(page.open(QIODevice::WriteOnly | QIODevice::Truncate));
    page.write(QStringLiteral("<html><body><p>%1</p></body></html>").arg(body).toUtf8());
}

DialogsTest::Seen DialogsTest::openAndClose(const std::function<void()> &trigger)
{
    Seen seen;
    bool closed = false;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        seen.objectName = dialog->objectName();
        seen.title = dialog->windowTitle();
        seen.size = dialog->size();
        seen.applicationModal = dialog->windowModality() == Qt::ApplicationModal;
        seen.iconPresent = !dialog->windowIcon().isNull();
        const auto *view = dialog->findChild<QTextBrowser *>(QStringLiteral("webView"));
        seen.text = view->toPlainText();
        seen.viewSize = view->size();
        dialog->reject();
        closed = true;
    });
    trigger();
    [&] { QVERIFY2(closed, "no modal dialog was shown"); }();
    return seen;
}

void DialogsTest::opensModallyWithThePageOfTheWorkingDirectory_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QSize>("size");
    QTest::newRow("help") << "actionHelp"
                          << "help.html"
                          << "Help" << QSize(400, 303);
    QTest::newRow("about") << "actionAbout"
                           << "about.html"
                           << "About" << QSize(400, 300);
}

void DialogsTest::opensModallyWithThePageOfTheWorkingDirectory()
{
    QFETCH(QString, action);
    QFETCH(QString, page);
    QFETCH(QString, title);
    QFETCH(QSize, size);

    writePage(page, QStringLiteral("Page of this working directory"));
    const Seen seen = openAndClose([&] { window->findChild<QAction *>(action)->trigger(); });
    QCOMPARE(seen.objectName, title);
    QCOMPARE(seen.title, title);
    QCOMPARE(seen.size, size);
    QVERIFY(seen.applicationModal);
    QVERIFY(seen.iconPresent);
    QCOMPARE(seen.text, QStringLiteral("Page of this working directory"));
    // The page fills the dialog but for the layout's margins.
    QVERIFY2(seen.viewSize.width() > size.width() - 40
                 && seen.viewSize.height() > size.height() - 40,
             qPrintable(
                 QStringLiteral("%1 x %2").arg(seen.viewSize.width()).arg(seen.viewSize.height())));
    // The dialog is gone once it has closed.
    QVERIFY(window->findChildren<QDialog *>().isEmpty());
}

void DialogsTest::showsAChangedPageAtTheNextOpening()
{
    auto *help = window->findChild<QAction *>(QStringLiteral("actionHelp"));
    writePage(QStringLiteral("help.html"), QStringLiteral("First"));
    QCOMPARE(openAndClose([&] { help->trigger(); }).text, QStringLiteral("First"));
    writePage(QStringLiteral("help.html"), QStringLiteral("Second"));
    QCOMPARE(openAndClose([&] { help->trigger(); }).text, QStringLiteral("Second"));
}

void DialogsTest::missingPageStillOpensAndSaysWhichPage()
{
    const Seen seen = openAndClose(
        [&] { window->findChild<QAction *>(QStringLiteral("actionHelp"))->trigger(); });
    QCOMPARE(seen.objectName, QStringLiteral("Help"));
    QVERIFY2(seen.text.contains(QStringLiteral("help.html")), qPrintable(seen.text));
}

void DialogsTest::logoButtonOpensAbout()
{
    writePage(QStringLiteral("about.html"), QStringLiteral("About this program"));
    const Seen seen = openAndClose(
        [&] { window->findChild<QPushButton *>(QStringLiteral("logoButton"))->click(); });
    QCOMPARE(seen.objectName, QStringLiteral("About"));
    QCOMPARE(seen.text, QStringLiteral("About this program"));
}

void DialogsTest::dataFolderProvidesPagesAndWorkingDirectoryWins()
{
    // The data folder that an installation beside this test program would have.
    QDir dataFolder(installedDataFolder());
    QVERIFY(dataFolder.mkpath(QStringLiteral(".")));
    const auto removeInstalled =
        qScopeGuard([&] { QFile::remove(dataFolder.filePath(QStringLiteral("about.html"))); });
    writePage(dataFolder.filePath(QStringLiteral("about.html")), QStringLiteral("Installed"));
    auto *about = window->findChild<QAction *>(QStringLiteral("actionAbout"));
    QCOMPARE(openAndClose([&] { about->trigger(); }).text, QStringLiteral("Installed"));
    writePage(QStringLiteral("about.html"), QStringLiteral("Local"));
    QCOMPARE(openAndClose([&] { about->trigger(); }).text, QStringLiteral("Local"));
}

QTEST_MAIN(DialogsTest)
#include "tst_dialogs.moc"
