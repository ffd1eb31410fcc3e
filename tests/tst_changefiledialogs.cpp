#include "mainwindow/mainwindow.h"
#include "nodevices.h"
#include "tablecontents.h"

#include <QAbstractButton>
#include <QDateTimeEdit>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QScopeGuard>
#include <QStatusBar>
#include <QtTest>

#include <functional>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// One step of the operator's part in a modal dialog: acts on the modal widget if it is of the
// step's kind, and says whether it was.
using Step = std::function<bool(QWidget *)>;

Step choose(const QString &name)
{
    return [name](QWidget *widget) {
        auto *dialog = qobject_cast<QFileDialog *>(widget);
        if (dialog) {
            dialog->findChild<QLineEdit *>("fileNameEdit")->setText(name);
            // What the dialog's Save and Open buttons run; it is no public function.
            QMetaObject::invokeMethod(dialog, "accept");
        }
        return dialog != nullptr;
    };
}

// Clicks a button of a message box, noting what the box said: who asked, the icon, the text.
Step answer(QMessageBox::StandardButton button, QStringList *said = nullptr)
{
    return [=](QWidget *widget) {
        auto *box = qobject_cast<QMessageBox *>(widget);
        if (box && said)
            *said << QStringList { box->parentWidget()->metaObject()->className(),
                                   QString::number(box->icon()), box->text() }
                         .join(' ');
        if (box)
            box->button(button)->click();
        return box != nullptr;
    };
}

// Root passes every permission check; without these two capabilities the modes of folders and
// files hold for it as for an operator. Capabilities are per thread: the GUI thread does the file
// work. Returns whether the modes hold for this thread afterwards (or, with true, whether they
// were given back).
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

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
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

    std::unique_ptr<QTemporaryDir> folder;
    std::unique_ptr<MainWindow> window;

    // Triggers an action and plays the operator's part in the modal dialogs it opens, in their own
    // event loops. A modal widget that no step expects is rejected and recorded, so that a test
    // fails instead of hanging.
    void run(const QString &action, QList<Step> steps)
    {
        QStringList unexpected;
        QList<QPointer<QWidget>> handled;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] {
            QPointer<QWidget> modal = QApplication::activeModalWidget();
            if (!modal || !modal->isVisible() || handled.contains(modal))
                return;
            handled << modal;
            const Step step = steps.isEmpty() ? Step() : steps.takeFirst();
            // Acting may open a nested dialog; the timer fires again only once this call returns.
            QTimer::singleShot(0, modal, [&unexpected, modal, step] {
                if (step && step(modal))
                    return;
                unexpected << modal->metaObject()->className();
                qobject_cast<QDialog *>(modal)->reject();
            });
        });
        timer.start(20);
        window->findChild<QAction *>(action)->trigger();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join(", ")));
        QVERIFY(steps.isEmpty());
    }
    QString path(const QString &name) const { return folder->filePath(name); }
    QStringList files(const QString &name = ".") const
    {
        return QDir(path(name)).entryList(QDir::Files | QDir::Hidden);
    }
    template<typename T> T *widget(const char *name) const
    {
        return window->findChild<T *>(QLatin1String(name));
    }
    // Everything the operator sees of the readings, as one text to compare before and after.
    QString screen() const
    {
        QString text;
        QDebug(&text) << widget<QLineEdit>("edtObject")->text()
                      << widget<QLineEdit>("edtInspector")->text()
                      << widget<QDateTimeEdit>("dtmDate")->dateTime()
                      << widget<QLabel>("lblDevice")->text() << widget<QLabel>("lblZav")->text()
                      << window->instrumentName() << window->instrumentSerialNumber()
                      << window->measurementStore();
        const std::unique_ptr<char[]> table(
            toString(TableContents::of(widget<QTableWidget>("tableMeasurement"))));
        return text + QString::fromUtf8(table.get());
    }

private slots:
    void init()
    {
        folder = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir::setCurrent(folder->path()));
        window = std::make_unique<MainWindow>(nullptr, new NoDevices);
        window->show();
        window->receiveDelivery("DEVICE X-100\r\nSN 517\r\nGROUP#1 0.52\r\nGROUP#1 0.55\r\n"
                                "GROUP#2 1.07\r\nEND\r\n");
        widget<QLineEdit>("edtObject")->setText(QStringLiteral("Pipe 12"));
        widget<QLineEdit>("edtInspector")->setText(QStringLiteral("Team 2"));
        widget<QDateTimeEdit>("dtmDate")->setDateTime({ QDate(2026, 12, 5), QTime(14, 3, 9) });
    }

    void cancelledDialogsChangeNothing_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("dialog"); // caption, filter, start of the proposed name
        QTest::newRow("save") << "actionSave"
                              << QStringList { "Select a file to save the changes",
                                               "Files of changes(*.csv)", "Pipe_12_Team_2_" };
        QTest::newRow("read") << "actionRead"
                              << QStringList { "Select a file to read the changes",
                                               "Files of changes (*.csv)", "" };
    }

    void cancelledDialogsChangeNothing()
    {
        QFETCH(QString, action);
        QFETCH(QStringList, dialog);
        put(path("other.csv"), "THE OBJECT OF CONTROL x\r\nINSPECTOR y\r\n");
        const QString before = screen();
        QStringList seen;
        run(action, { [&](QWidget *widget) {
                auto *shown = qobject_cast<QFileDialog *>(widget);
                if (shown) {
                    const QString name = shown->findChild<QLineEdit *>("fileNameEdit")->text();
                    seen = { shown->windowTitle(),
                             shown->nameFilters().join('|'),
                             name.left(dialog[2].size()),
                             name.contains(QRegularExpression("[ .:]")) ? name : "",
                             shown->directory().absolutePath(),
                             shown->testOption(QFileDialog::DontUseNativeDialog) ? "own" : "" };
                    shown->reject();
                }
                return shown != nullptr;
            } });
        QCOMPARE(seen, (dialog + QStringList { "", QDir(folder->path()).absolutePath(), "own" }));
        QCOMPARE(files(), QStringList { "other.csv" });
        QCOMPARE(screen(), before);
    }

    void saveAppendsTheSuffixAndAsksBeforeReplacingWhatOnlyTheSuffixNames_data()
    {
        QTest::addColumn<QStringList>("names"); // typed, written
        QTest::addColumn<QString>("asker"); // who asks before replacing an old results.csv
        QTest::addColumn<bool>("replace");
        const QStringList appended { "results", "results.csv" };
        QTest::newRow("no suffix") << appended << "" << true;
        QTest::newRow("suffix") << QStringList { "results.csv", "results.csv" } << "" << true;
        QTest::newRow("suffix in capitals")
            << QStringList { "results.CSV", "results.CSV.csv" } << "" << true;
        QTest::newRow("suffix appended, replace") << appended << "MainWindow" << true;
        QTest::newRow("suffix appended, keep") << appended << "MainWindow" << false;
        QTest::newRow("suffix typed: the dialog asks, once")
            << QStringList { "results.csv", "results.csv" } << "QFileDialog" << true;
    }

    void saveAppendsTheSuffixAndAsksBeforeReplacingWhatOnlyTheSuffixNames()
    {
        QFETCH(QStringList, names);
        QFETCH(QString, asker);
        QFETCH(bool, replace);
        const QByteArray old("old readings\r\n");
        if (!asker.isEmpty())
            put(path("results.csv"), old);
        QStringList said;
        QList<Step> steps { choose(names[0]) };
        if (!asker.isEmpty())
            steps << answer(replace ? QMessageBox::Yes : QMessageBox::No, &said);
        const QString before = screen();
        run("actionSave", steps);
        QCOMPARE(said.value(0).section(' ', 0, 0), asker);
        QVERIFY2(asker.isEmpty() || said[0].contains("results.csv"), qPrintable(said.value(0)));
        QCOMPARE(files(), QStringList { names[1] });
        QCOMPARE(contents(path(names[1])), replace ? example : old);
        QCOMPARE(screen(), before);
    }

    void saveThenReadRestoresTheWindow()
    {
        widget<QLineEdit>("edtObject")->setText(QStringLiteral("Труба 12"));
        widget<QLineEdit>("edtInspector")->setText(QStringLiteral("Бригада 2"));
        run("actionSave", { choose("control") });
        const QString saved = screen();

        window->receiveDelivery("DEVICE Y-7\r\nSN 9\r\nGROUP#9 3.3\r\nEND\r\n");
        widget<QLineEdit>("edtObject")->setText(QStringLiteral("other"));
        widget<QStatusBar>("statusBar")->showMessage(QStringLiteral("busy"));
        QVERIFY(screen() != saved);
        run("actionRead", { choose("control.csv") });
        QCOMPARE(screen(), saved);
        QVERIFY(widget<QStatusBar>("statusBar")->currentMessage().isEmpty());
    }

    // Save into a folder that cannot be written, and Read of a file that cannot be read.
    void failuresSayWhyAndChangeNothing()
    {
        const QString target = path("locked/results.csv"), source = path("secret.csv");
        const QByteArray old("THE OBJECT OF CONTROL earlier\r\nINSPECTOR other\r\n");
        QVERIFY(QDir(folder->path()).mkdir(QStringLiteral("locked")));
        put(target, old);
        put(source, old);
        const auto restore = qScopeGuard([&] {
            overridePermissions(true);
            QFile::setPermissions(path("locked"),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        });
        QVERIFY(QFile::setPermissions(path("locked"), QFile::ReadOwner | QFile::ExeOwner));
        QVERIFY(QFile::setPermissions(source, QFile::WriteOwner));
        if (!overridePermissions(false))
            QSKIP("running as root without the right to give up file-permission capabilities");

        QStringList said;
        const QString before = screen();
        run("actionSave",
            { choose("locked/results"), answer(QMessageBox::Yes), answer(QMessageBox::Ok, &said) });
        run("actionRead", { choose("secret.csv"), answer(QMessageBox::Ok, &said) });
        QCOMPARE(said.size(), 2);
        for (int i = 0; i < 2; ++i)
            QVERIFY2(said[i].startsWith(QStringLiteral("MainWindow %1 ").arg(QMessageBox::Critical))
                         && said[i].contains(i ? source : target) && said[i].contains("ermission"),
                     qPrintable(said[i]));
        QCOMPARE(contents(target), old);
        QCOMPARE(files("locked"), QStringList { "results.csv" });
        QCOMPARE(screen(), before);
    }
};

QTEST_MAIN(ChangeFileDialogsTest)
#include "tst_changefiledialogs.moc"
