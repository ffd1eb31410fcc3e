#include "records/control.h"
#include "records/transferarchive.h"

#include <QtTest>

#include <sys/stat.h>
#include <thread>

// Every transfer kept as a file of its own, named so that the operator finds it and no file
// kept before is ever replaced.
class TransferArchiveTest : public QObject
{
    Q_OBJECT

private slots:
    // Named by the time and the serial-number line, in characters every file system holds, under
    // the user's data folder even where a relative one is set.
    void shouldKeepEveryTransferUnderItsOwnName()
    {
        const QDateTime at({ 2026, 12, 7 }, { 14, 3, 9 });
        QCOMPARE(transferArchiveName(at, "SN 00517", false), "2026-12-07_14-03-09_SN-00517.csv");
        QCOMPARE(transferArchiveName(at, "SN 5", true), "2026-12-07_14-03-09_SN-5_cut-off.csv");
        QCOMPARE(transferArchiveName(at, " SN\t../a/b\\c:d*e?\"f<g>h|i. ", false),
                 "2026-12-07_14-03-09_SN-..-a-b-c-d-e-f-g-h-i.csv");
        QCOMPARE(QStringList({ transferArchiveName(at, ".5.", false),
                               transferArchiveName(at, "\x01", false) }),
                 QStringList({ "2026-12-07_14-03-09_5.csv", "2026-12-07_14-03-09.csv" }));
        QCOMPARE(transferArchiveName(at, QString(300, 'S'), false).size(), 20 + 64 + 4);
        qputenv("XDG_DATA_HOME", "relative");
        QCOMPARE(defaultTransferArchiveFolder(),
                 QDir::home().filePath(".local/share/tst_transferarchive/transfers"));

        // Copies of the program that keep transfers of the same name at the same moment each get
        // a name of their own, numbered from 2; every file gets the mode the user's umask gives;
        // a folder that cannot be made says why.
        QTemporaryDir data;
        std::vector<std::thread> copies(4);
        for (std::thread &copy : copies)
            copy = std::thread([&] {
                for (int kept = 0; kept < 25; ++kept)
                    keepTransfer(data.path(), { {}, {}, at, {}, "SN 5", {} }, false);
            });
        for (std::thread &copy : copies)
            copy.join();
        QCOMPARE(QDir(data.path()).entryList(QDir::Files | QDir::Hidden).size(), 100);
        const QString file = data.filePath(transferArchiveName(at, "SN 5", false));
        QCOMPARE(keepTransfer(data.path(), { {}, {}, at, {}, "SN 5", {} }, false).filePath,
                 data.filePath("2026-12-07_14-03-09_SN-5_101.csv"));
        struct stat status = {};
        const mode_t mask = ::umask(0);
        ::umask(mask);
        QVERIFY(::stat(qPrintable(file), &status) == 0
                && (status.st_mode & 0777) == (0666 & ~mask));
        QCOMPARE(keepTransfer(file + "/transfers", {}, false).error, qt_error_string(ENOTDIR));
    }
};

QTEST_GUILESS_MAIN(TransferArchiveTest)
#include "tst_transferarchive.moc"
