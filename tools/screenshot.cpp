// Draws the main window holding the simulator's sample transfer into a PNG, on whatever platform
// it runs (the offscreen one in scripts/screenshot), for the README.

#include "app/startup.h"
#include "device/serialdevicesource.h"
#include "mainwindow/mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QTextStream>
#include <QTranslator>

#include <cstdio>

namespace {

class NoDevices : public SerialDeviceSource
{
public:
    QList<SerialDeviceInfo> scan() override { return {}; }
    void start() override { }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SAMPLE-TRANSFER OUTPUT.png\n", argv[0]);
        return 2;
    }
    QFile sample(QString::fromLocal8Bit(argv[1]));
    if (!sample.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    // The sample is kept as UTF-8 text; the instrument sends code page 866 with CR LF.
    const QString text = QString::fromUtf8(sample.readAll());
    QByteArray transfer = QTextCodec::codecForName("CP866")->fromUnicode(text);
    transfer.replace("\n", "\r\n");

    QApplication::setStyle(QStringLiteral("Fusion"));
    // As the operator sees it: in the language of a tolvaren.qm in the working directory, with
    // the transfer kept.
    QTranslator translator;
    installProgramTranslation(translator);
    QTemporaryDir archive;
    MainWindow window(nullptr, new NoDevices);
    window.setTransferArchiveFolder(archive.path());
    window.findChild<QLineEdit *>(QStringLiteral("edtObject"))
        ->setText(QStringLiteral("Pipeline 12"));
    window.findChild<QLineEdit *>(QStringLiteral("edtInspector"))
        ->setText(QStringLiteral("A. Petrova"));
    // As the window stands while the instrument is plugged in and sending.
    window.findChild<QAction *>(QStringLiteral("actionConnection"))->setChecked(true);
    window.show();
    window.receiveDelivery(transfer);
    QCoreApplication::processEvents();

    if (!window.grab().save(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
