#include "testing.h"

#include <QDateTimeEdit>
#include <QLabel>
#include <QMimeData>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace {

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

    // The dialog asks about the name it returns; a file that only the appended suffix names is
    // asked about once more before it is replaced, and a new file is written whole.
    void saveAsksBeforeReplacingAndReadRestores()
    {
        const QStringList before = screen();
        QCOMPARE(run("actionSave", { choose("results") }), QString());
        QCOMPARE(readFile("results.csv"), example);
        const QByteArray old("old readings\r\n");
        QVERIFY(writeFile("results.csv", old));
        QCOMPARE(run("actionSave", { choose("results"), press(QMessageBox::No) }), QString());
        QCOMPARE(readFile("results.csv"), old);
        QCOMPARE(run("actionSave", { choose("results"), press(QMessageBox::Yes) }), QString());
        QCOMPARE(readFile("results.csv"), example);
        QVERIFY(writeFile("results.csv", old));
        QCOMPARE(run("actionSave", { choose("results.csv"), press(QMessageBox::Yes) }), QString());
        QCOMPARE(readFile("results.csv"), example);
        QCOMPARE(files(), QStringList { "results.csv" });
        QCOMPARE(screen(), before);

        // What was saved comes back into the window.
        w->window->receiveDelivery("DEVICE Y-7\r\nSN 9\r\nGROUP#9 3.3\r\nEND\r\n");
        w->widget<QLineEdit>("edtObject")->setText(QStringLiteral("other"));
        QCOMPARE(run("actionRead", { choose("results.csv") }), QString());
        QCOMPARE(screen(), before);
    }

    // A file dropped on the window goes the way of Read, its failure box included.
    void droppedFileIsRead()
    {
        QVERIFY(writeFile("dropped.csv", QByteArray(example).replace("GROUP#2;1.07", "GROUP#3;9")));
        const auto drop = [this](const char *name) {
            QMimeData mime;
            mime.setUrls({ QUrl::fromLocalFile(QDir().absoluteFilePath(name)) });
            QDragEnterEvent enter({ 9, 9 }, Qt::CopyAction, &mime, Qt::LeftButton, {});
            QDropEvent dropped({ 9, 9 }, Qt::CopyAction, &mime, Qt::LeftButton, {});
            QCoreApplication::sendEvent(w->window.get(), &enter);
            QCoreApplication::sendEvent(w->window.get(), &dropped);
            QTest::qWait(50);
        };
        QCOMPARE(operate([&] { drop("dropped.csv"); }, {}), QString());
        QCOMPARE(operate([&] { drop("gone.csv"); }, { press(QMessageBox::Ok) }), QString());
        QCOMPARE(w->window->measurementStore().keys(), QStringList({ "GROUP#1", "GROUP#3" }));
    }

    // A save whose last write fails, and a read of a file that cannot be read: each says why, and
    // neither the file on disk nor the window changes.
    void failuresSayWhyAndChangeNothing()
    {
        const QByteArray old("THE OBJECT OF CONTROL earlier\r\nINSPECTOR other\r\n");
        QVERIFY(writeFile("results.csv", old));
        QStringList said;
        const QStringList before = screen();
        {
            // A file system that takes only a few bytes more: the new file is complete only in
            // its buffer, and fails as it is committed.
            rlimit previous {};
            QVERIFY(getrlimit(RLIMIT_FSIZE, &previous) == 0);
            std::signal(SIGXFSZ, SIG_IGN); // the write fails instead of ending the process
            const auto restore = qScopeGuard([&] { setrlimit(RLIMIT_FSIZE, &previous); });
            const rlimit small { 16, previous.rlim_max };
            QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
            QCOMPARE(
                run("actionSave",
                    { choose("results"), press(QMessageBox::Yes), press(QMessageBox::Ok, &said) }),
                QString());
        }

        // A file that no one may read, not even root.
        const QString secret = QStringLiteral("/proc/sys/vm/drop_caches");
        QCOMPARE(run("actionRead", { choose(secret), press(QMessageBox::Ok, &said) }), QString());
        const QString critical = QString::number(QMessageBox::Critical);
        QVERIFY2(said.size() == 8 && said[0] == critical && said[4] == critical
                     && said[2].contains(QRegularExpression("could not be saved to .*results.csv"))
                     && said[6].contains(secret) && said[6].contains("ermission"),
                 qPrintable(said.join(u'|')));
        QCOMPARE(readFile("results.csv"), old);
        QCOMPARE(files(), QStringList({ "results.csv" }));
        QCOMPARE(screen(), before);
    }
};

QTEST_MAIN(ChangeFileDialogsTest)
#include "tst_changefiledialogs.moc"
