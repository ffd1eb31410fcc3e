#include "app/startup.h"
#include "mainwindow/mainwindow.h"
#include "nodevices.h"

#include <QAction>
#include <QBoxLayout>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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
    void growingGivesWidthToSerialLabelAndHeightToTable();
    void toolbarShowsActionsThenTheLogo();
    void startsWithInitialTextsDateAndEmptyTable();
    void logoComesFromWorkingDirectoryWhenPresent();
    void exitAndCloseEndTheLoopWithZero_data();
    void exitAndCloseEndTheLoopWithZero();
    void translationReplacesTextsOnlyWhenPresent();
    void constructionPrintsNoWarning();

private:
    std::unique_ptr<MainWindow> makeWindow()
    {
        return std::make_unique<MainWindow>(nullptr, new NoDevices);
    }
    template<typename T = QObject> T *child(const MainWindow &window, const char *name)
    {
        return window.findChild<T *>(QLatin1String(name));
    }

    // Empty, so nothing optional is found there unless a test puts it.
    QTemporaryDir workingDirectory;
    QString previousDirectory;
};

void MainWindowTest::init()
{
    previousDirectory = QDir::currentPath();
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
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parentName");
    const char *rows[][3] = {
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
        QTest::newRow(row[0]) << row[1] << row[2];
}

void MainWindowTest::buildsTheObjectTree()
{
    QFETCH(QString, className);
    QFETCH(QString, parentName);
    const auto window = makeWindow();
    QCOMPARE(window->objectName(), QStringLiteral("MainWindow"));
    const QList<QObject *> found = window->findChildren<QObject *>(QTest::currentDataTag());
    QCOMPARE(found.size(), 1);
    QCOMPARE(QString::fromLatin1(found.first()->metaObject()->className()), className);
    QCOMPARE(found.first()->parent()->objectName(), parentName);
}

void MainWindowTest::growingGivesWidthToSerialLabelAndHeightToTable()
{
    const auto window = makeWindow();
    auto widgetsOf = [&](const char *layoutName) {
        auto *layout = child<QBoxLayout>(*window, layoutName);
        QStringList names;
        for (int i = 0; i < layout->count(); ++i)
            names << layout->itemAt(i)->widget()->objectName();
        return names;
    };
    QCOMPARE(widgetsOf("verticalLayout"), QStringList({ "frame_2", "frame", "tableMeasurement" }));
    QCOMPARE(widgetsOf("horizontalLayout_2"), QStringList({ "lblDevice", "lblZav" }));
    QCOMPARE(widgetsOf("horizontalLayout"),
             QStringList({ "dtmDate", "label", "edtObject", "label_2", "edtInspector" }));
    QCOMPARE(child<QBoxLayout>(*window, "verticalLayout")->contentsMargins(), QMargins(4, 4, 4, 4));
    QCOMPARE(window->size(), QSize(668, 355));

    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto *device = child<QLabel>(*window, "lblDevice");
    auto *serial = child<QLabel>(*window, "lblZav");
    auto *table = child<QTableWidget>(*window, "tableMeasurement");
    const QSize before(device->width(), serial->width());
    const int tableHeight = table->height();
    window->resize(968, 655);
    QTRY_COMPARE(serial->width(), before.height() + 300);
    QCOMPARE(device->width(), before.width());
    QCOMPARE(table->height(), tableHeight + 300);
}

void MainWindowTest::toolbarShowsActionsThenTheLogo()
{
    const auto window = makeWindow();
    auto *toolBar = child<QToolBar>(*window, "mainToolBar");
    QCOMPARE(window->toolBarArea(toolBar), Qt::TopToolBarArea);
    QVERIFY(!toolBar->isMovable() && !toolBar->isFloatable());
    QCOMPARE(toolBar->iconSize(), QSize(32, 32));
    QCOMPARE(toolBar->toolButtonStyle(), Qt::ToolButtonIconOnly);

    // Six actions with their tooltips and bundled 32 x 32 icons; no About button.
    const QList<QAction *> actions = toolBar->actions();
    QCOMPARE(actions.size(), 8);
    QStringList shown;
    for (QAction *action : actions.first(6)) {
        shown << action->objectName() + QLatin1Char('=') + action->toolTip();
        QCOMPARE(action->icon().availableSizes().value(0), QSize(32, 32));
    }
    QCOMPARE(shown,
             QStringList({ "actionConnection=Connect the device", "actionRead=Read from file",
                           "actionSave=Save to file", "actionPrint=Print", "actionHelp=Help",
                           "actionExit=Exit from program" }));
    QCOMPARE(window->windowIcon().availableSizes().value(0), QSize(16, 16));

    QCOMPARE(toolBar->widgetForAction(actions.at(6))->sizePolicy().horizontalPolicy(),
             QSizePolicy::Expanding);
    auto *logo = qobject_cast<QPushButton *>(toolBar->widgetForAction(actions.at(7)));
    QVERIFY(logo && logo->isFlat() && logo->text().isEmpty());
    QCOMPARE(logo->iconSize(), QSize(220, 42));
    QCOMPARE(logo->icon().availableSizes().value(0), QSize(220, 42));

    // The indicator: checkable, unchecked and disabled, its two states drawn in colour although
    // it is disabled, so that it stays readable.
    auto *connection = child<QAction>(*window, "actionConnection");
    QVERIFY(connection->isCheckable() && !connection->isChecked() && !connection->isEnabled());
    const QIcon icon = connection->icon();
    const QImage off = icon.pixmap(32, QIcon::Normal, QIcon::Off).toImage();
    const QImage on = icon.pixmap(32, QIcon::Normal, QIcon::On).toImage();
    QVERIFY(!off.isNull() && off != on);
    QCOMPARE(icon.pixmap(32, QIcon::Disabled, QIcon::Off).toImage(), off);
    QCOMPARE(icon.pixmap(32, QIcon::Disabled, QIcon::On).toImage(), on);
}

void MainWindowTest::startsWithInitialTextsDateAndEmptyTable()
{
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    const auto window = makeWindow();
    const QDateTime shown = child<QDateTimeEdit>(*window, "dtmDate")->dateTime();
    QVERIFY(shown >= before && shown <= QDateTime::currentDateTime().addSecs(1));

    QCOMPARE(window->windowTitle(), QStringLiteral("Measurements"));
    QCOMPARE(child<QLabel>(*window, "lblDevice")->text(), QStringLiteral("Device"));
    QVERIFY(child<QLabel>(*window, "lblZav")->text().isEmpty());
    auto *object = child<QLineEdit>(*window, "edtObject");
    QCOMPARE(object->text(), QStringLiteral("Object's name"));
    QVERIFY(object->placeholderText().isEmpty());
    QCOMPARE(child<QLineEdit>(*window, "edtInspector")->text(), QStringLiteral("Inspector's name"));

    auto *table = child<QTableWidget>(*window, "tableMeasurement");
    QCOMPARE(QSize(table->columnCount(), table->rowCount()), QSize(0, 0));
    QCOMPARE(table->selectionBehavior(), QAbstractItemView::SelectColumns);
    QCOMPARE(table->selectionMode(), QAbstractItemView::SingleSelection);
}

void MainWindowTest::logoComesFromWorkingDirectoryWhenPresent()
{
    auto logoColour = [this](const MainWindow &window) {
        return child<QPushButton>(window, "logoButton")
            ->icon()
            .pixmap(QSize(220, 42))
            .toImage()
            .pixelColor(110, 21);
    };
    QVERIFY(logoColour(*makeWindow()) != QColor(Qt::red));

    QImage red(220, 42, QImage::Format_RGB32);
    red.fill(Qt::red);
    QVERIFY(red.save(QStringLiteral("logo.png")));
    QCOMPARE(logoColour(*makeWindow()), QColor(Qt::red));
}

void MainWindowTest::exitAndCloseEndTheLoopWithZero_data()
{
    QTest::addColumn<bool>("byExitAction");
    QTest::newRow("Exit action") << true;
    QTest::newRow("window closed") << false;
}

void MainWindowTest::exitAndCloseEndTheLoopWithZero()
{
    QFETCH(bool, byExitAction);
    const auto window = makeWindow();
    window->show();
    QTimer::singleShot(0, window.get(), [&] {
        if (byExitAction)
            child<QAction>(*window, "actionExit")->trigger();
        else
            window->close();
    });
    QCOMPARE(QApplication::exec(), 0);
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
    QCOMPARE(child<QAction>(*window, "actionSave")->text(), QStringLiteral("Speichern"));
    QCOMPARE(child<QLineEdit>(*window, "edtObject")->text(), QStringLiteral("Name des Objekts"));
    // Texts the translation does not carry stay English.
    QCOMPARE(child<QAction>(*window, "actionRead")->text(), QStringLiteral("Read"));
}

namespace {
QStringList capturedWarnings;
void captureWarnings(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        capturedWarnings << message;
}
} // namespace

// Among others, the by-name connection of the form warns of every handler that has no signal.
void MainWindowTest::constructionPrintsNoWarning()
{
    capturedWarnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(captureWarnings);
    {
        QTranslator translator;
        installProgramTranslation(translator);
        applyProgramStyle();
        // Not shown: the offscreen platform used here warns of size hints it cannot pass on.
        makeWindow();
        QCoreApplication::processEvents();
    }
    qInstallMessageHandler(previous);
    QVERIFY2(capturedWarnings.isEmpty(), qPrintable(capturedWarnings.join(QLatin1Char('\n'))));
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
