// Draws the main window holding the simulator's sample transfer into a PNG, on whatever platform
// it runs (the offscreen one in scripts/screenshot), for the README; given two more names, also
// History over an archive of a few months' controls, and Compare with its chart.

#include "app/startup.h"
#include "device/serialdevicesource.h"
#include "dialogs/compare.h"
#include "dialogs/history.h"
#include "mainwindow/mainwindow.h"
#include "records/archiveindexer.h"
#include "records/changefile.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
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

// Controls of three pipelines every other week since spring, the readings of the first slowly
// thinning, as wall thickness does.
bool writeArchive(const QString &folder)
{
    const QStringList objects { QStringLiteral("Pipeline 12"), QStringLiteral("Tank 3"),
                                QStringLiteral("Pipeline 7") };
    const QStringList inspectors { QStringLiteral("A. Petrova"), QStringLiteral("I. Sokolov") };
    for (int control = 0; control < 24; ++control) {
        Control content;
        content.object = objects.at(control % objects.size());
        content.inspector = inspectors.at(control % inspectors.size());
        content.dateTime = QDateTime(QDate(2026, 4, 6), QTime(9, 30)).addDays(7 * control);
        content.deviceName = QStringLiteral("DEVICE X-100");
        content.serialNumber = QStringLiteral("SN %1").arg(517 + control % 2);
        for (int group = 1; group <= 6; ++group) {
            Readings readings;
            for (int i = 0; i < 8; ++i)
                readings.append(QString::number(10.0 + group * 0.4 - control * 0.02
                                                    + ((i * 7 + control * 3) % 5) * 0.03,
                                                'f', 2));
            if (group == 6 && control > 18)
                continue; // a measuring point given up lately
            content.measurements.insert(QStringLiteral("GROUP#%1").arg(group), readings);
        }
        QFile file(QStringLiteral("%1/%2.csv")
                       .arg(folder, content.dateTime.toString(QStringLiteral("yyyy-MM-dd_HH-mm"))));
        if (!file.open(QIODevice::WriteOnly) || !writeChangeFile(file, content))
            return false;
    }
    return true;
}

bool saveHistoryPictures(MainWindow &window, const QString &historyPicture,
                         const QString &comparePicture)
{
    QTemporaryDir scratch;
    if (!writeArchive(scratch.path()))
        return false;
    window.setTransferArchiveFolder(scratch.path(), scratch.filePath(QStringLiteral("index")));
    QEventLoop indexed;
    QObject::connect(window.archiveIndexer(), &ArchiveIndexer::updateFinished, &indexed,
                     &QEventLoop::quit);
    indexed.exec();

    window.findChild<QAction *>(QStringLiteral("actionHistory"))->trigger();
    auto *history = window.findChild<History *>();
    history->findChild<QLineEdit *>(QStringLiteral("filterEdit"))
        ->setText(QStringLiteral("pipeline 12"));
    history->resize(1000, 420);
    history->findChild<QTableView *>(QStringLiteral("historyTable"))->selectRow(0);
    QCoreApplication::processEvents();
    if (!history->grab().save(historyPicture))
        return false;

    history->findChild<QPushButton *>(QStringLiteral("compareButton"))->click();
    auto *compare = history->findChild<Compare *>();
    compare->resize(1100, 680);
    compare->findChild<QComboBox *>(QStringLiteral("groupChoice"))
        ->setCurrentText(QStringLiteral("GROUP#1"));
    QCoreApplication::processEvents();
    return compare->grab().save(comparePicture);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 3 && argc != 5) {
        std::fprintf(stderr, "usage: %s SAMPLE-TRANSFER OUTPUT.png [HISTORY.png COMPARE.png]\n",
                     argv[0]);
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
    if (argc == 5
        && !saveHistoryPictures(window, QString::fromLocal8Bit(argv[3]),
                                QString::fromLocal8Bit(argv[4]))) {
        std::fprintf(stderr, "cannot write %s and %s\n", argv[3], argv[4]);
        return 1;
    }
    return 0;
}
