#include "app/startup.h"
#include "device/systemdevicesource.h"
#include "mainwindow/mainwindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tolvaren"));
    QApplication::setApplicationVersion(QStringLiteral(TOLVAREN_VERSION));

    applyProgramStyle();

    QTranslator translator;
    QTranslator toolkitTranslator;
    if (installProgramTranslation(translator))
        installToolkitTranslation(translator, toolkitTranslator);

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
    parser.process(app);

    MainWindow window(nullptr, new SystemDeviceSource(parser.value(portOption)));
    window.show();
    return QApplication::exec();
}
