#include "testing.h"

#include <QDateTimeEdit>
#include <QLabel>
#include <QtTest>

#include <csignal>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>

namespace {

// Root passes every permission check; without these two capabilities the modes of files hold for
// it as for an operator. Capabilities are per thread: the GUI thread does the file work. Returns
// whether the modes hold for this thread afterwards (or, with true, whether they were given back).
bool overridePermissions(bool override)
{
    __user_cap_header_struct header { _LINUX_CAPABILITY_VERSION_3, 0 };
    __user_cap_data_struct caps[2] {};
    const quint32 bits = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
    if (geteuid() != 0 || syscall(SYS_capget, &header, caps) != 0)
        return geteuid() != 0;
    caps[0].effective = override ? caps[0].effective | bits : caps[0].effective & ~bits;
    return syscall(SYS_capset, &header, caps) == 0;
}

const QByteArray
    example("THE OBJECT OF CONTROL Pipe 12\r\nINSPECTOR Team 2\r\n05.12.2026 14:03:09\r\n"
            "DEVICE X-100\r\nSN 517\r\nGROUP#1;0.52;0.55\r\nGROUP#2;1.07\r\n");

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
        + tableText(w->widget<QTableWidget>("tableMeasurement"));
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
        w->window->receiveDelivery("DEVICE X-100\r\nSN 517\r\nGROUP#1 0.52\r\nGROUP#1 0.55\r\n"
                                   "GROUP#2 1.07\r\nEND\r\n");
        w->widget<QLineEdit>("edtObject")->setText(QStringLiteral("Pipe 12"));
        w->widget<QLineEdit>("edtInspector")->setText(QStringLiteral("Team 2"));
        w->widget<QDateTimeEdit>("dtmDate")->setDateTime({ QDate(2026, 12, 5), QTime(14, 3, 9) });
    }
    void cleanup()
    {
        w.reset();
        folder.reset();
    }

    void saveAsksBeforeReplacingWhatOnlyTheSuffixNames_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("asker"); // who asks before replacing an old results.csv
        QTest::addColumn<bool>("replace");
        QTest::newRow("suffix appended") << "results"
                                         << "" << true;
        QTest::newRow("suffix appended, replace") << "results"
                                                  << "MainWindow" << true;
        QTest::newRow("suffix appended, keep") << "results"
                                               << "MainWindow" << false;
        QTest::newRow("suffix typed: the dialog asks, once") << "results.csv"
                                                             << "QFileDialog" << true;
    }

    void saveAsksBeforeReplacingWhatOnlyTheSuffixNames()
    {
        QFETCH(QString, typed);
        QFETCH(QString, asker);
        QFETCH(bool, replace);
        const QByteArray old("old readings\r\n");
        QList<Step> steps { choose(typed) };
        QString askedBy;
        if (!asker.isEmpty()) {
            QVERIFY(writeFile("results.csv", old));
            steps << [&](QWidget *box) {
                askedBy = box->parentWidget()->metaObject()->className();
                return press(replace ? QMessageBox::Yes : QMessageBox::No)(box);
            };
        }
        const QStringList before = screen();
        QCOMPARE(run("actionSave", steps), QString());
        QCOMPARE(askedBy, asker);
        QCOMPARE(files(), QStringList { "results.csv" });
        QCOMPARE(readFile("results.csv"), replace ? example : old);
        QCOMPARE(screen(), before);
    }

    void saveThenReadRestoresTheWindow()
    {
        w->widget<QLineEdit>("edtObject")->setText(QStringLiteral("Труба 12"));
        QCOMPARE(run("actionSave", { choose("control") }), QString());
        const QStringList saved = screen();

        w->window->receiveDelivery("DEVICE Y-7\r\nSN 9\r\nGROUP#9 3.3\r\nEND\r\n");
        w->widget<QLineEdit>("edtObject")->setText(QStringLiteral("other"));
        QVERIFY(screen() != saved);
        QCOMPARE(run("actionRead", { choose("control.csv") }), QString());
        QCOMPARE(screen(), saved);
        QCOMPARE(w->window->instrumentSerialNumber(), QStringLiteral("SN 517"));
    }

    // A save whose last write fails, and a read of a file that cannot be read: each says why, and
    // neither the file on disk nor the window changes.
    void failuresSayWhyAndChangeNothing()
    {
        const QByteArray old("THE OBJECT OF CONTROL earlier\r\nINSPECTOR other\r\n");
        QVERIFY(writeFile("results.csv", old) && writeFile("secret.csv", old));
        QStringList said;
        const QStringList before = screen();
        {
            // A file system that takes only a few bytes more: the new file is complete only in
            // its buffer, and fails as it is committed.
            rlimit previous {};
            QVERIFY(getrlimit(RLIMIT_FSIZE, &previous) == 0);
            const auto handler = std::signal(SIGXFSZ, SIG_IGN);
            const auto restore = qScopeGuard([&] {
                setrlimit(RLIMIT_FSIZE, &previous);
                std::signal(SIGXFSZ, handler);
            });
            const rlimit small { 16, previous.rlim_max };
            QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
            QCOMPARE(
                run("actionSave",
                    { choose("results"), press(QMessageBox::Yes), press(QMessageBox::Ok, &said) }),
                QString());
        }

        QVERIFY(QFile::setPermissions("secret.csv", QFile::WriteOwner));
        const auto restore = qScopeGuard([] { overridePermissions(true); });
        if (!overridePermissions(false))
            QSKIP("running as root without the right to give up file-permission capabilities");
        QCOMPARE(run("actionRead", { choose("secret.csv"), press(QMessageBox::Ok, &said) }),
                 QString());
        QCOMPARE(said.size(), 8);
        QCOMPARE(said[0], QString::number(QMessageBox::Critical));
        QVERIFY2(said[2].contains("results.csv") && said[2].contains("could not be saved"),
                 qPrintable(said[2]));
        QCOMPARE(said[4], QString::number(QMessageBox::Critical));
        QVERIFY2(said[6].contains("secret.csv") && said[6].contains("ermission"),
                 qPrintable(said[6]));
        QCOMPARE(readFile("results.csv"), old);
        QCOMPARE(files(), QStringList({ "results.csv", "secret.csv" }));
        QCOMPARE(screen(), before);
    }
};

QTEST_MAIN(ChangeFileDialogsTest)
#include "tst_changefiledialogs.moc"
