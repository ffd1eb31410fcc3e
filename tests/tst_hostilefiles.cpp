#include "dialogs/pageview.h"
#include "files/safesave.h"
#include "records/transferarchive.h"
#include "testing.h"

#include <QDesktopServices>
#include <QLabel>
#include <QProcess>
#include <QScopeGuard>
#include <QtTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>

// Files and texts that could hang the program, crash it or replace what the operator had: FIFOs,
// device nodes, folders, pages that reach out of their folder, a full disk, markup, line noise.
class HostileFilesTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<WorkingDirectory> here;
    QList<QUrl> opened; // by the desktop's browser
    Q_INVOKABLE void open(const QUrl &url) { opened << url; }

    // Makes a node of the kind at the name, or skips where the system does not let.
    static void make(const QString &kind, const QString &name)
    {
        bool made = false;
        if (kind == "file")
            made = writeFile(name, "G;1");
        else if (kind == "fifo")
            made = ::mkfifo(qPrintable(name), 0644) == 0;
        else if (kind == "device") // the null device, under a name of the test's own
            made = ::mknod(qPrintable(name), S_IFCHR | 0666, makedev(1, 3)) == 0;
        if (!made)
            QSKIP(qPrintable("cannot make a " + kind + " here"));
    }

private slots:
    void init()
    {
        here.reset();
        here = std::make_unique<WorkingDirectory>();
        opened.clear();
    }

    // A FIFO or a device is refused; a file shared through its group (nobody:dialout 0660, saved
    // by root) keeps its owner, group and mode.
    void saveReplacesOnlyRegularFilesAndSaysWhy_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("FIFO") << "fifo";
        QTest::newRow("device") << "device";
        QTest::newRow("shared through its group") << "shared";
    }
    void saveReplacesOnlyRegularFilesAndSaysWhy()
    {
        QFETCH(QString, kind);
        const bool shared = kind == "shared";
        QString error;
        if (shared) {
            QVERIFY(writeFile("target", "old"));
            if (::chown("target", 65534, 20) != 0 || ::chmod("target", 0660) != 0)
                QSKIP("only root may give a file away");
        } else {
            make(kind, "target");
        }
        QCOMPARE(saveFileSafely("target", QByteArray(10, 'y'), &error), shared);
        QVERIFY2(shared || error.contains("not a regular file"), qPrintable(error));
        QCOMPARE(QFileInfo("target").isFile(), shared);
        struct stat info = {};
        QVERIFY(!shared
                || (::stat("target", &info) == 0 && info.st_uid == 65534 && info.st_gid == 20
                    && (info.st_mode & 07777) == 0660));
    }

    // A file larger than the room left on the disk, saved or kept, says so in the system's words,
    // and leaves the old file as it was and nothing else behind.
    void writeThatDoesNotFitSaysWhy()
    {
        if (!QDir().mkdir("disk")
            || QProcess::execute("mount", { "-t", "tmpfs", "-o", "size=64k", "tmpfs", "disk" }))
            QSKIP("no small file system can be mounted here");
        const auto unmount = qScopeGuard([] { QProcess::execute("umount", { "disk" }); });
        QString saved;
        const QString large(100000, 'y');
        QVERIFY(saveFileSafely("disk/target", "old", &saved)
                && !saveFileSafely("disk/target", large.toLatin1(), &saved));
        const QString kept =
            keepTransfer("disk", { {}, {}, {}, {}, "SN 1", { { "G", { large } } } }, false).error;
        QCOMPARE(QStringList({ saved, kept }).filter(qt_error_string(ENOSPC)).size(), 2);
        QCOMPARE(QDir("disk").entryList(QDir::Files | QDir::Hidden), QStringList("target"));
        QCOMPARE(readFile("disk/target"), QByteArray("old"));
    }

    // A page reaches no folder but its own, not even one whose name begins as its own does, and
    // no file as an image that is none; web pages open in the desktop's browser.
    void pageReachesOnlySoundFilesOfItsFolder_data()
    {
        QTest::addColumn<QString>("target"); // of an image and of a link on the page
        QTest::addColumn<bool>("reached");
        QTest::addColumn<bool>("followed");
        QTest::newRow("image in the folder") << "image.png" << true << true;
        QTest::newRow("resource") << "qrc:/images/help.png" << true << false;
        QTest::newRow("link out of the folder") << "link.png" << false << false;
        QTest::newRow("folder named alike") << "../pages2/image.png" << false << false;
        QTest::newRow("text named as an image") << "text.png" << false << true;
    }
    void pageReachesOnlySoundFilesOfItsFolder()
    {
        QFETCH(QString, target);
        QFETCH(bool, reached);
        QFETCH(bool, followed);
        QImage image(8, 8, QImage::Format_RGB32);
        QVERIFY(QDir().mkdir("pages") && QDir().mkdir("pages2") && image.save("pages/image.png")
                && image.save("pages2/image.png") && writeFile("pages/text.png", "Help"));
        QVERIFY(QFile::link("/dev/zero", "pages/link.png")
                && writeFile("pages/other.html", "Other page"));
        QVERIFY(writeFile("pages/help.html", QString("<img src=\"%1\">").arg(target).toUtf8()));
        QDir::setCurrent("pages");
        PageView view;
        view.showPage("help.html", "%1");
        QCOMPARE(view.loadResource(QTextDocument::ImageResource, QUrl(target)).isValid(), reached);
        emit view.anchorClicked(QUrl(target));
        QCOMPARE(view.source().fileName(), followed ? QUrl(target).fileName() : "help.html");
        emit view.anchorClicked(QUrl("other.html"));
        QCOMPARE(view.toPlainText(), "Other page");
        QDesktopServices::setUrlHandler("https", this, "open");
        emit view.anchorClicked(QUrl("https://example.org/page"));
        QDesktopServices::unsetUrlHandler("https");
        QCOMPARE(opened, QList<QUrl>({ QUrl("https://example.org/page") }));
    }

    // File names and received texts are shown as written, never as markup: an <img> in a name or
    // a device line would have its image read, /dev/zero without end.
    void namesAndReceivedTextsAreShownAsWritten()
    {
        // A label as wide as its whole text shows the tags.
        const auto asWritten = [](const QLabel *label) {
            qsizetype widest = 0;
            for (const QString &line : label->text().split('\n'))
                widest = std::max<qsizetype>(widest, label->fontMetrics().horizontalAdvance(line));
            return label->sizeHint().width() >= widest;
        };
        make("fifo", "<b>X.csv");
        TestWindow w;
        w.window->show();
        QList<bool> shown;
        const Step look = [&](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            if (box)
                shown << asWritten(box->findChild<QLabel *>("qt_msgbox_label"));
            return box && QMetaObject::invokeMethod(box, "accept");
        };
        QCOMPARE(operate([&] { w.window->readChangesFrom("<b>X.csv"); }, { look }), QString());
        w.window->receiveDelivery("DEVICE <b>X</b>\r\nSN <b>7</b>\r\nG 1\r\nEND\r\n");
        shown << asWritten(w.widget<QLabel>("lblDevice")) << asWritten(w.widget<QLabel>("lblZav"));
        QCOMPARE(shown, QList<bool>({ true, true, true }));

        // Line noise often holds "SN" or "DEVICE"; a label that widened the window to such a line
        // once made it hundreds of thousands of pixels wide.
        const int width = w.window->width();
        const QByteArray noise(60000, 'x');
        w.window->receiveDelivery("DEVICE " + noise + "\r\nSN " + noise + "\r\nG 1\r\nEND\r\n");
        QTRY_VERIFY(w.widget<QLabel>("lblDevice")->text().size() > noise.size());
        // The layouts above the label, one level each.
        for (int level = 0; level < 4; ++level)
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QVERIFY(w.window->minimumSize().width() <= width);
        QCOMPARE(w.window->width(), width);
    }
};

QTEST_MAIN(HostileFilesTest)
#include "tst_hostilefiles.moc"
