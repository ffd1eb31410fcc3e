#include "app/optionalfile.h"
#include "records/changefile.h"
#include "records/safesave.h"

#include <QProcess>
#include <QtTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

// Files that are no file of changes, and targets that Save must not replace: FIFOs, device
// nodes, folders, huge and binary files, a full disk. Whatever the input, nothing may block.
class HostileFilesTest : public QObject
{
    Q_OBJECT

    QTemporaryDir folder;

    QString path(const QString &name) const { return folder.filePath(name); }

    // Makes a node of the given kind at the name, or skips the row where the system does not let.
    void make(const QString &kind, const QString &name)
    {
        const QByteArray at = QFile::encodeName(path(name));
        ::unlink(at.constData());
        QDir(folder.path()).rmdir(name);
        bool made = true;
        if (kind == "fifo")
            made = ::mkfifo(at.constData(), 0644) == 0;
        else if (kind == "device") // the null device, under a name of the test's own
            made = ::mknod(at.constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
        else if (kind == "folder")
            made = QDir(folder.path()).mkdir(name);
        if (!made)
            QSKIP(qPrintable("cannot make a " + kind + " here"));
    }

private slots:
    void readTakesOnlyRegularTextFilesWithinTheBound_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("bytes"); // of a regular file
        QTest::addColumn<qint64>("size"); // the file's size when it is to be sparse
        QTest::addColumn<int>("status");
        const QByteArray text("THE OBJECT OF CONTROL x\r\nINSPECTOR y\r\n\r\nD\r\nS\r\nG;1\r\n");
        QTest::newRow("change file") << "file" << text << qint64(0) << int(ChangeFileLoad::Read);
        QTest::newRow("FIFO") << "fifo" << QByteArray() << qint64(0)
                              << int(ChangeFileLoad::NotRegular);
        QTest::newRow("device") << "device" << QByteArray() << qint64(0)
                                << int(ChangeFileLoad::NotRegular);
        QTest::newRow("folder") << "folder" << QByteArray() << qint64(0)
                                << int(ChangeFileLoad::NotRegular);
        // Sparse: the zeros past the text take no disk, and make the file no text.
        QTest::newRow("at the bound")
            << "file" << text << maxChangeFileBytes << int(ChangeFileLoad::NotText);
        QTest::newRow("a byte over")
            << "file" << text << maxChangeFileBytes + 1 << int(ChangeFileLoad::TooLarge);
        QTest::newRow("zero byte") << "file" << QByteArray("G;1\r\n\0G;2\r\n", 11) << qint64(0)
                                   << int(ChangeFileLoad::NotText);
        QTest::newRow("missing") << "none" << QByteArray() << qint64(0)
                                 << int(ChangeFileLoad::Failed);
    }

    void readTakesOnlyRegularTextFilesWithinTheBound()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, size);
        QFETCH(int, status);
        const QString name = "input-" + QString(QTest::currentDataTag()).replace(' ', '-');
        if (kind == "file") {
            QFile file(path(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
            if (size)
                QVERIFY(file.resize(size));
        } else if (kind != "none") {
            make(kind, name);
        }
        const ChangeFileLoad load = loadChangeFile(path(name), ChangeFilePrefixes::untranslated());
        QCOMPARE(int(load.status), status);
        QCOMPARE(load.systemError.isEmpty(), status != ChangeFileLoad::Failed);
        if (status == ChangeFileLoad::Read)
            QCOMPARE(load.content.measurements.value("G"), QStringList { "1" });
    }

    void saveReplacesOnlyRegularFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("FIFO") << "fifo"
                              << "not a regular file";
        QTest::newRow("device") << "device"
                                << "not a regular file";
        QTest::newRow("folder") << "folder"
                                << "not a regular file";
    }

    void saveReplacesOnlyRegularFiles()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        make(kind, "target");
        struct stat before, after;
        QCOMPARE(::stat(QFile::encodeName(path("target")).constData(), &before), 0);
        QString error;
        QVERIFY(!saveFileSafely(path("target"), "readings\r\n", &error));
        QVERIFY2(error.contains(reason), qPrintable(error));
        QCOMPARE(::stat(QFile::encodeName(path("target")).constData(), &after), 0);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(after.st_ino, before.st_ino);
        const auto all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
        QCOMPARE(QDir(folder.path()).entryList({ "*target*" }, all), QStringList { "target" });
    }

    // A file shared through its group stays shared: nobody:dialout 0660 saved by root.
    void saveKeepsGroupOwnerAndMode()
    {
        const QString target = path("shared.csv");
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.close();
        const QByteArray name = QFile::encodeName(target);
        const uid_t owner = 65534;
        const gid_t group = 20;
        if (::chown(name.constData(), owner, group) != 0)
            QSKIP("only root may give a file away");
        QVERIFY(::chmod(name.constData(), 0660) == 0);
        QString error;
        QVERIFY2(saveFileSafely(target, "readings\r\n", &error), qPrintable(error));
        struct stat info;
        QCOMPARE(::stat(name.constData(), &info), 0);
        QCOMPARE(QList<uint>({ info.st_uid, info.st_gid, info.st_mode & 07777 }),
                 QList<uint>({ owner, group, 0660 }));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("readings\r\n"));
    }

    // Small and large contents: the first fail when the toolkit's buffer is flushed, the second
    // at once.
    void saveOnAFullDiskSaysSoAndKeepsTheOldFile_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("small") << 3000;
        QTest::newRow("large") << 300000;
    }

    void saveOnAFullDiskSaysSoAndKeepsTheOldFile()
    {
        QFETCH(int, size);
        const QString disk = path("disk");
        QVERIFY(QDir().mkpath(disk));
        if (QProcess::execute("mount", { "-t", "tmpfs", "-o", "size=64k", "tmpfs", disk }) != 0)
            QSKIP("no small file system can be mounted here");
        const auto unmount = qScopeGuard([&] { QProcess::execute("umount", { disk }); });
        const QString target = disk + "/old.csv";
        QString error;
        QVERIFY(saveFileSafely(target, "old readings\r\n", &error));
        QVERIFY(saveFileSafely(disk + "/filler", QByteArray(60 * 1024, 'x'), &error));

        QVERIFY(!saveFileSafely(target, QByteArray(size, 'y'), &error));
        QCOMPARE(error, QStringLiteral("No space left on device"));
        QFile old(target);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old readings\r\n"));
        QCOMPARE(QDir(disk).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }
};

QTEST_GUILESS_MAIN(HostileFilesTest)
#include "tst_hostilefiles.moc"
