#include "app/caretblink.h"
#include "app/quitsignals.h"
#include "app/settings.h"
#include "app/startup.h"
#include "device/systemdevicesource.h"
#include "mainwindow/mainwindow.h"
#include "records/transferarchive.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QTimer>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QLatin1String(ProgramSettings::application));
    QApplication::setOrganizationName(QLatin1String(ProgramSettings::organization));
    // Ties the window to its desktop entry, for its icon and name in the task switcher.
    QGuiApplication::setDesktopFileName(QStringLiteral("tolvaren"));
    QApplication::setApplicationVersion(QStringLiteral(TOLVAREN_VERSION));
    // Asked by the system to end, the program ends as when the operator quits: the window closes
    // and keeps what it has to. Taken from the start, so that none is lost while it starts.
    QuitSignals quitSignals;
    QObject::connect(&quitSignals, &QuitSignals::quitRequested, &app, &QCoreApplication::quit);

    applyProgramStyle();
    CaretBlinkTimeout caretBlinkTimeout;

    QTranslator translator;
    QTranslator toolkitTranslator;
    QTranslator serialPortTranslator;
    if (installProgramTranslation(translator)) {
        installToolkitTranslation(translator, toolkitTranslator);
        installToolkitTranslation(translator, serialPortTranslator, "qtserialport");
    }

    // After the translation, so that --help speaks the user's language.
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QApplication::translate("main",
                                "Receives, shows, saves and prints the readings "
                                "of a measuring instrument."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption portOption(
        QStringLiteral("port"),
        QApplication::translate("main", "Treat DEVICE as the instrument's adapter."),
        QApplication::translate("main", "DEVICE"));
    parser.addOption(portOption);
    const QCommandLineOption noArchiveOption(
        QStringLiteral("no-archive"),
        QApplication::translate("main", "Do not keep every transfer in the transfers folder."));
    parser.addOption(noArchiveOption);
    const QCommandLineOption archiveOption(
        QStringLiteral("archive"),
        QApplication::translate("main",
                                "Keep every transfer in FOLDER, and show its history, instead of "
                                "the transfers folder."),
        QApplication::translate("main", "FOLDER"));
    parser.addOption(archiveOption);
    parser.addPositionalArgument(
        QStringLiteral("file"),
        QApplication::translate("main", "A file of changes to read at start."),
        QApplication::translate("main", "[file]"));
    parser.process(app);

    MainWindow window(nullptr, new SystemDeviceSource(parser.value(portOption)));
    const QString archiveFolder = parser.isSet(archiveOption)
        ? QDir(parser.value(archiveOption)).absolutePath()
        : ProgramSettings().archiveFolder();
    if (!parser.isSet(noArchiveOption))
        window.setTransferArchiveFolder(archiveFolder.isEmpty() ? defaultTransferArchiveFolder()
                                                                : archiveFolder);
    // Also at a quit that closes no window.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, &MainWindow::endSession);
    window.show();
    const QString startFile = parser.positionalArguments().value(0);
    if (!startFile.isEmpty()) {
        // Once the window is up, so that a message about the file has a window to stand on.
        QTimer::singleShot(0, &window, [&window, startFile] { window.readChangesFrom(startFile); });
    }
    return QApplication::exec();
}
