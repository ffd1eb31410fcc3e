#include "testing.h"

#include <QDateTimeEdit>
#include <QLabel>
#include <QMimeData>
#include <QStatusBar>
#include <QTextCodec>
#include <QtTest>

#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>

namespace {

// Root may replace anyone's files; without this capability a folder's sticky bit holds for it as
// for an operator. Capabilities are per thread, and the GUI thread does the file work.
bool mayReplaceOthersFiles(bool may)
{
    __user_cap_header_struct header { _LINUX_CAPABILITY_VERSION_3, 0 };
    __user_cap_data_struct caps[2] {};
    if (geteuid() != 0 || syscall(SYS_capget, &header, caps) != 0)
        return false;
    const quint32 fowner = 1u << CAP_FOWNER;
    caps[0].effective = may ? caps[0].effective | fowner : caps[0].effective & ~fowner;
    return syscall(SYS_capset, &header, caps) == 0;
}

// What the window shows at the start of each test, as a file of changes.
const QString example = testData("changefile/written.csv");

} // namespace

// Save and Read as the operator runs them: through the toolkit's own file dialogs, and with the
// questions and failure boxes that keep readings from being lost.
class ChangeFileDialogsTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<WorkingDirectory> folder;
    std::unique_ptr<TestWindow> w;

    QStringList files() const { return QDir().entryList(QDir::Files | QDir::Hidden); }
    // Everything the operator sees of the readings, to compare before and after.
    QStringList screen() const
    {
        return QStringList { w->text("edtObject"), w->text("edtInspector"),
                             w->widget<QDateTimeEdit>("dtmDate")->dateTime().toString(),
                             w->widget<QLabel>("lblDevice")->text(),
                             w->widget<QLabel>("lblZav")->text() }
        + w->table();
    }
    QString run(const char *action, const QList<Step> &steps)
    {
        return operate([this, action] { w->trigger(action); }, steps);
    }

private slots:
    void init()
    {
        folder = std::make_unique<WorkingDirectory>();
        w = std::make_unique<TestWindow>();
        w->window->show();
        QVERIFY(w->window->readChangesFrom(example));
    }
    void cleanup()
    {
        w.reset();
        folder.reset();
    }

    // A file that only the appended suffix names is asked about before it is replaced (the
    // dialog itself asks about the name it returns), and a new file is written whole.
    void saveAsksBeforeReplacing()
    {
        const QStringList before = screen();
        QCOMPARE(run("actionSave", { choose("results") }), QString());
        QCOMPARE(readFile("results.csv"), readFile(example));
        const QByteArray old("old readings\r\n");
        QVERIFY(writeFile("results.csv", old));
        QCOMPARE(run("actionSave", { choose("results"), press(QMessageBox::No) }), QString());
        QCOMPARE(readFile("results.csv"), old);
        QCOMPARE(run("actionSave", { choose("results"), press(QMessageBox::Yes) }), QString());
        QCOMPARE(readFile("results.csv"), readFile(example));
        QCOMPARE(files(), QStringList { "results.csv" });
        QCOMPARE(screen(), before);
    }

    // A file dropped on the window goes the way of Read. This one was written by the earlier
    // Windows program on a Russian system.
    void droppedFileIsRead()
    {
        const auto drop = [this](const QString &path) {
            QMimeData mime;
            mime.setUrls({ QUrl::fromLocalFile(path) });
            QDragEnterEvent enter({ 9, 9 }, Qt::CopyAction, &mime, Qt::LeftButton, {});
            QDropEvent dropped({ 9, 9 }, Qt::CopyAction, &mime, Qt::LeftButton, {});
            QCoreApplication::sendEvent(w->window.get(), &enter);
            QCoreApplication::sendEvent(w->window.get(), &dropped);
            QTest::qWait(50);
        };
        QCOMPARE(operate([&] { drop(testData("changefile/windows-program.csv")); }, {}), QString());
        QCOMPARE(w->text("edtObject"), "Труба 12");
        QVERIFY(w->widget<QStatusBar>("statusBar")->currentMessage().contains("Windows-1251"));
    }

    // A read of a file that cannot be read, and a save whose new file cannot take the old one's
    // place: each says why, and neither the files on disk nor the window change.
    void failuresSayWhyAndChangeNothing()
    {
        const QByteArray old("THE OBJECT OF CONTROL earlier\r\nINSPECTOR other\r\n");
        const QStringList before = screen();
        const QString critical = QString::number(QMessageBox::Critical);
        QStringList said;
        // A file that no one may read, not even root.
        const QString secret = QStringLiteral("/proc/sys/vm/drop_caches");
        QCOMPARE(run("actionRead", { choose(secret), press(QMessageBox::Ok, &said) }), QString());
        QVERIFY2(said.value(0) == critical && said.value(2).contains(secret)
                     && said.value(2).contains("ermission"),
                 qPrintable(said.join(u'|')));
        QCOMPARE(screen(), before);

        // A folder where anyone may write, whose sticky bit keeps others' files from being
        // replaced: the new file is written in full beside the old one, and fails as it takes
        // its place.
        QVERIFY(QDir().mkdir("shared") && chmod("shared", 01777) == 0);
        QVERIFY(writeFile("shared/results.csv", old) && chown("shared/results.csv", 65534, 0) == 0);
        if (chown("shared", 65534, 0) != 0 || !mayReplaceOthersFiles(false))
            QSKIP("only root can give files to another user and give up replacing them");
        const auto restore = qScopeGuard([] { mayReplaceOthersFiles(true); });
        said.clear();
        QCOMPARE(run("actionSave",
                     { choose("shared/results"), press(QMessageBox::Yes),
                       press(QMessageBox::Ok, &said) }),
                 QString());
        QVERIFY2(said.value(0) == critical
                     && said.value(2).contains(
                         QRegularExpression("could not be saved to .*results.csv")),
                 qPrintable(said.join(u'|')));
        QCOMPARE(readFile("shared/results.csv"), old);
        QCOMPARE(QDir("shared").entryList(QDir::Files | QDir::Hidden),
                 QStringList({ "results.csv" }));
        QCOMPARE(screen(), before);
    }

    // The spreadsheet and the protocol through the same dialog, each chosen by the suffix typed
    // over the filter, read back by tools no one here wrote: numbers as number cells showing the
    // digits received, other readings as text (characters that XML forbids included), the date as
    // a date, the groups in their numbers' order; the protocol on the paper of the locale.
    void saveWritesASpreadsheetAndAProtocol()
    {
        w->window->receiveDelivery(QTextCodec::codecForName("CP866")->fromUnicode(
            "DEVICE X-100\r\nSN 517\r\nGROUP#10 +2\r\nGROUP#2 -1.50\r\nGROUP#1 0,98\r\n"
            "GROUP#1 0.98 мм\r\nEND\r\n"));
        w->widget<QLineEdit>("edtObject")->setText(QStringLiteral("Труба 12"));
        w->widget<QLineEdit>("edtInspector")->setText(u"\x01\r\t\uFFFF\uFFFE\xD800_x0041_"_qs);
        w->widget<QDateTimeEdit>("dtmDate")->setDateTime({ QDate(2026, 12, 5), QTime(14, 3, 9) });
        QCOMPARE(run("actionSave", { choose("results.xlsx") }), QString());
        QCOMPARE(run("actionSave", { choose("Results.PDF", "Spreadsheet (*.xlsx)") }), QString());
        QCOMPARE(files(), QStringList({ "Results.PDF", "results.xlsx" }));

        // Debian's own Python, which its python3-openpyxl is for.
        QCOMPARE(runTool("/usr/bin/python3", { testData("spreadsheet/cells.py"), "results.xlsx" }),
                 textLines(testData("spreadsheet/cells.ref")));

        QVERIFY(runTool("pdfinfo", { "Results.PDF" })
                    .contains(QRegularExpression("^Page size: .*\\(A4\\)$")));
        QVERIFY(pdfPages("Results.PDF").value(0).contains("Труба 12"));
    }

    // A large protocol is laid out, and a large file read, beside the window, which shows the
    // progress of each. Cancel writes nothing, leaves what is shown as it was, and says so only
    // for the read. Twelve million readings near the bound take seconds to read, long past the
    // moment the progress shows, on any machine.
    void cancelledWorkChangesNothing()
    {
        w->window->receiveDelivery("SN 1\r\n" + QByteArray("GROUP#1 0.5\r\n").repeated(40000)
                                   + "END\r\n");
        QCOMPARE(
            run("actionSave", { choose("large", "Protocol of control (*.pdf)"), cancelProgress }),
            QString());
        QCOMPARE(files(), QStringList());
        QByteArray large = readFile(example);
        for (int group = 0; group < 120000; ++group)
            large +=
                "GROUP#" + QByteArray::number(group) + QByteArray(";0.5").repeated(100) + "\r\n";
        QVERIFY(writeFile("large.csv", large));
        const QStringList before = screen();
        QCOMPARE(
            run("actionRead", { choose(QDir().absoluteFilePath("large.csv")), cancelProgress }),
            QString());
        QCOMPARE(screen(), before);
        QCOMPARE(w->widget<QStatusBar>("statusBar")->currentMessage(),
                 "Reading " + QDir::current().filePath("large.csv")
                     + " was cancelled; the readings shown are unchanged.");
    }
};

QTEST_MAIN(ChangeFileDialogsTest)
#include "tst_changefiledialogs.moc"
