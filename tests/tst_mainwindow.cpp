#include "app/startup.h"
#include "mainwindow/mainwindow.h"
#include "nodevices.h"

#include <QAction>
#include <QBoxLayout>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QToolBar>
#include <QTranslator>
#include <QtTest>

// The main window as the operator first sees it: its widgets, toolbar, texts, icons and logo, how
// it ends, and how a translation changes it.
class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void buildsTheObjectTree_data();
    void buildsTheObjectTree();
    void laysOutFramesAndGivesExtraWidthToSerialLabel();
    void toolbarHoldsActionsThenSpacerThenLogo();
    void connectionIndicatorIsDisabledAndCheckable();
    void iconsComeFromTheBundleWithoutFilesOnDisk();
    void startsWithTheInitialTextsAndTheStartDate();
    void logoComesFromWorkingDirectoryWhenPresent();
    void exitAndCloseEndTheLoopWithZero();
    void translationReplacesTextsOnlyWhenPresent();
    void constructionPrintsNoWarning();

private:
    std::unique_ptr<MainWindow> makeWindow()
    {
        return std::make_unique<MainWindow>(nullptr, new NoDevices);
    }

    QTemporaryDir workingDirectory;
    QString previousDirectory;
};

void MainWindowTest::init()
{
    // An empty working directory, so nothing optional is found there unless a test puts it.
    previousDirectory = QDir::currentPath();
    QVERIFY(workingDirectory.isValid());
    QVERIFY(QDir::setCurrent(workingDirectory.path()));
}

void MainWindowTest::cleanup()
{
    QDir::setCurrent(previousDirectory);
    for (const QString &file : QDir(workingDirectory.path()).entryList(QDir::Files))
        QFile::remove(workingDirectory.filePath(file));
}

void MainWindowTest::buildsTheObjectTree_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parentName");

    const struct
    {
        const char *name, *className, *parentName;
    } rows[] = {
        { "actionRead", "QAction", "MainWindow" },
        { "actionSave", "QAction", "MainWindow" },
        { "actionPrint", "QAction", "MainWindow" },
        { "actionConnection", "QAction", "MainWindow" },
        { "actionExit", "QAction", "MainWindow" },
        { "actionHelp", "QAction", "MainWindow" },
        { "actionAbout", "QAction", "MainWindow" },
        { "centralWidget", "QWidget", "MainWindow" },
        { "verticalLayout", "QVBoxLayout", "centralWidget" },
        { "frame_2", "QFrame", "centralWidget" },
        { "horizontalLayout_2", "QHBoxLayout", "frame_2" },
        { "lblDevice", "QLabel", "frame_2" },
        { "lblZav", "QLabel", "frame_2" },
        { "frame", "QFrame", "centralWidget" },
        { "horizontalLayout", "QHBoxLayout", "frame" },
        { "dtmDate", "QDateTimeEdit", "frame" },
        { "label", "QLabel", "frame" },
        { "edtObject", "QLineEdit", "frame" },
        { "label_2", "QLabel", "frame" },
        { "edtInspector", "QLineEdit", "frame" },
        { "tableMeasurement", "QTableWidget", "centralWidget" },
        { "mainToolBar", "QToolBar", "MainWindow" },
        { "statusBar", "QStatusBar", "MainWindow" },
    };
    for (const auto &row : rows)
        QTest::newRow(row.name) << row.name << row.className << row.parentName;
}

void MainWindowTest::buildsTheObjectTree()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, parentName);

    const auto window = makeWindow();
    QCOMPARE(window->objectName(), QStringLiteral("MainWindow"));
    const QList<QObject *> found = window->findChildren<QObject *>(name);
    QCOMPARE(found.size(), 1);
    QCOMPARE(QString::fromLatin1(found.first()->metaObject()->className()), className);
    QCOMPARE(found.first()->parent()->objectName(), parentName);
}

void MainWindowTest::laysOutFramesAndGivesExtraWidthToSerialLabel()
{
    const auto window = makeWindow();
    auto widgetsOf = [&](const char *layoutName) {
        auto *layout = window->findChild<QBoxLayout *>(QLatin1String(layoutName));
        QStringList names;
        for (int i = 0; i < layout->count(); ++i)
            names << layout->itemAt(i)->widget()->objectName();
        return names;
    };
    QCOMPARE(widgetsOf("verticalLayout"), QStringList({ "frame_2", "frame", "tableMeasurement" }));
    QCOMPARE(widgetsOf("horizontalLayout_2"), QStringList({ "lblDevice", "lblZav" }));
    QCOMPARE(widgetsOf("horizontalLayout"),
             QStringList({ "dtmDate", "label", "edtObject", "label_2", "edtInspector" }));

    auto *top = window->findChild<QBoxLayout *>(QStringLiteral("horizontalLayout_2"));
    QCOMPARE(top->stretch(0), 0);
    QCOMPARE(top->stretch(1), 1);
    QCOMPARE(top->contentsMargins(), QMargins(3, 3, 3, 3));
    QCOMPARE(window->findChild<QBoxLayout *>(QStringLiteral("verticalLayout"))->contentsMargins(),
             QMargins(4, 4, 4, 4));
    QCOMPARE(window->size(), QSize(668, 355));

    // Growing the window widens the serial label, not the device label; the table takes the height.
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto *device = window->findChild<QLabel *>(QStringLiteral("lblDevice"));
    auto *serial = window->findChild<QLabel *>(QStringLiteral("lblZav"));
    auto *table = window->findChild<QTableWidget *>(QStringLiteral("tableMeasurement"));
    const int deviceWidth = device->width();
    const int serialWidth = serial->width();
    const int tableHeight = table->height();
    window->resize(968, 655);
    QTRY_COMPARE(serial->width(), serialWidth + 300);
    QCOMPARE(device->width(), deviceWidth);
    QCOMPARE(table->height(), tableHeight + 300);
}

void MainWindowTest::toolbarHoldsActionsThenSpacerThenLogo()
{
    const auto window = makeWindow();
    auto *toolBar = window->findChild<QToolBar *>(QStringLiteral("mainToolBar"));
    QCOMPARE(window->toolBarArea(toolBar), Qt::TopToolBarArea);
    QVERIFY(!toolBar->isMovable());
    QVERIFY(!toolBar->isFloatable());
    QCOMPARE(toolBar->iconSize(), QSize(32, 32));
    QCOMPARE(toolBar->toolButtonStyle(), Qt::ToolButtonIconOnly);

    const QList<QAction *> actions = toolBar->actions();
    QCOMPARE(actions.size(), 8);
    QStringList names;
    for (int i = 0; i < 6; ++i)
        names << actions.at(i)->objectName();
    QCOMPARE(names,
             QStringList({ "actionConnection", "actionRead", "actionSave", "actionPrint",
                           "actionHelp", "actionExit" }));

    auto *spacer = toolBar->widgetForAction(actions.at(6));
    auto *logo = qobject_cast<QPushButton *>(toolBar->widgetForAction(actions.at(7)));
    QVERIFY(spacer);
    QCOMPARE(spacer->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
    QVERIFY(logo);
    QVERIFY(logo->isFlat());
    QVERIFY(logo->text().isEmpty());
    QCOMPARE(logo->iconSize(), QSize(220, 42));

    const QStringList toolTips = {
        "Connect the device", "Read from file", "Save to file", "Print", "Help", "Exit from program"
    };
    for (int i = 0; i < 6; ++i)
        QCOMPARE(actions.at(i)->toolTip(), toolTips.at(i));
}

void MainWindowTest::connectionIndicatorIsDisabledAndCheckable()
{
    const auto window = makeWindow();
    auto *connection = window->findChild<QAction *>(QStringLiteral("actionConnection"));
    QVERIFY(connection->isCheckable());
    QVERIFY(!connection->isChecked());
    QVERIFY(!connection->isEnabled());

    // The two states draw different pictures, in colour although the action is disabled, so
    // that the indicator stays readable.
    const QIcon icon = connection->icon();
    const QImage off = icon.pixmap(32, QIcon::Normal, QIcon::Off).toImage();
    const QImage on = icon.pixmap(32, QIcon::Normal, QIcon::On).toImage();
    QVERIFY(!off.isNull());
    QVERIFY(off != on);
    QCOMPARE(icon.pixmap(32, QIcon::Disabled, QIcon::Off).toImage(), off);
    QCOMPARE(icon.pixmap(32, QIcon::Disabled, QIcon::On).toImage(), on);
}

void MainWindowTest::iconsComeFromTheBundleWithoutFilesOnDisk()
{
    QVERIFY(QDir::current().entryList(QDir::Files).isEmpty());
    const auto window = makeWindow();
    for (QAction *action : window->findChildren<QAction *>()) {
        if (action->objectName().isEmpty())
            continue; // the toolbar's own actions for its widgets
        QVERIFY2(!action->icon().isNull(), qPrintable(action->objectName()));
        QCOMPARE(action->icon().availableSizes().value(0), QSize(32, 32));
    }
    QCOMPARE(window->windowIcon().availableSizes().value(0), QSize(16, 16));
    auto *logo = window->findChild<QPushButton *>(QStringLiteral("logoButton"));
    QCOMPARE(logo->icon().availableSizes().value(0), QSize(220, 42));
}

void MainWindowTest::startsWithTheInitialTextsAndTheStartDate()
{
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    const auto window = makeWindow();
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);

    QCOMPARE(window->windowTitle(), QStringLiteral("Measurements"));
    QCOMPARE(window->findChild<QLabel *>(QStringLiteral("lblDevice"))->text(),
             QStringLiteral("Device"));
    QVERIFY(window->findChild<QLabel *>(QStringLiteral("lblZav"))->text().isEmpty());
    auto *object = window->findChild<QLineEdit *>(QStringLiteral("edtObject"));
    auto *inspector = window->findChild<QLineEdit *>(QStringLiteral("edtInspector"));
    QCOMPARE(object->text(), QStringLiteral("Object's name"));
    QCOMPARE(inspector->text(), QStringLiteral("Inspector's name"));
    QVERIFY(object->placeholderText().isEmpty());

    const QDateTime shown =
        window->findChild<QDateTimeEdit *>(QStringLiteral("dtmDate"))->dateTime();
    QVERIFY(shown >= before && shown <= after);

    auto *table = window->findChild<QTableWidget *>(QStringLiteral("tableMeasurement"));
    QCOMPARE(table->rowCount(), 0);
    QCOMPARE(table->columnCount(), 0);
    QCOMPARE(table->selectionBehavior(), QAbstractItemView::SelectColumns);
    QCOMPARE(table->selectionMode(), QAbstractItemView::SingleSelection);
}

void MainWindowTest::logoComesFromWorkingDirectoryWhenPresent()
{
    auto logoColour = [](MainWindow &window) {
        auto *logo = window.findChild<QPushButton *>(QStringLiteral("logoButton"));
        return logo->icon().pixmap(QSize(220, 42)).toImage().pixelColor(110, 21);
    };

    const auto bundled = makeWindow();
    const QColor bundledColour = logoColour(*bundled);

    QImage red(220, 42, QImage::Format_RGB32);
    red.fill(Qt::red);
    QVERIFY(red.save(QStringLiteral("logo.png")));
    const auto local = makeWindow();
    QCOMPARE(logoColour(*local), QColor(Qt::red));
    QVERIFY(bundledColour != QColor(Qt::red));
}

void MainWindowTest::exitAndCloseEndTheLoopWithZero()
{
    {
        const auto window = makeWindow();
        window->show();
        QTimer::singleShot(0, window.get(), [&] {
            window->findChild<QAction *>(QStringLiteral("actionExit"))->trigger();
        });
        QCOMPARE(QApplication::exec(), 0);
    }
    {
        const auto window = makeWindow();
        window->show();
        QTimer::singleShot(0, window.get(), [&] { window->close(); });
        QCOMPARE(QApplication::exec(), 0);
    }
}

void MainWindowTest::translationReplacesTextsOnlyWhenPresent()
{
    {
        QTranslator translator;
        QVERIFY(!installProgramTranslation(translator));
        QCOMPARE(makeWindow()->windowTitle(), QStringLiteral("Measurements"));
    }

    QVERIFY(QFile::copy(QStringLiteral(TEST_TRANSLATION), QStringLiteral("tolvaren.qm")));
    QTranslator translator;
    QVERIFY(installProgramTranslation(translator));
    const auto window = makeWindow();
    QCoreApplication::removeTranslator(&translator);

    QCOMPARE(window->windowTitle(), QStringLiteral("Messungen"));
    QCOMPARE(window->findChild<QAction *>(QStringLiteral("actionSave"))->text(),
             QStringLiteral("Speichern"));
    QCOMPARE(window->findChild<QLineEdit *>(QStringLiteral("edtObject"))->text(),
             QStringLiteral("Name des Objekts"));
    // Texts the translation does not carry stay English.
    QCOMPARE(window->findChild<QAction *>(QStringLiteral("actionRead"))->text(),
             QStringLiteral("Read"));
}

namespace {
QStringList capturedWarnings;
void captureWarnings(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        capturedWarnings << message;
}
} // namespace

void MainWindowTest::constructionPrintsNoWarning()
{
    capturedWarnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(captureWarnings);
    {
        QTranslator translator;
        installProgramTranslation(translator);
        applyProgramStyle();
        // Shown only by the platform: the offscreen one used here warns about size hints.
        const auto window = makeWindow();
        QCoreApplication::processEvents();
    }
    qInstallMessageHandler(previous);
    QVERIFY2(capturedWarnings.isEmpty(), qPrintable(capturedWarnings.join(QLatin1Char('\n'))));
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
