#include "mainwindow/mainwindow.h"
#include "nodevices.h"

#include <QAbstractButton>
#include <QDateTimeEdit>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QStatusBar>
#include <QTableWidget>
#include <QtTest>

#include <functional>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Plays the operator's part in the modal dialogs that an action opens, in the dialogs' own event
// loops: each step waits for the next modal widget of its kind and acts on it. A modal widget that
// no step expects is rejected after a while and recorded, so that a test fails instead of hanging.
class ModalScript : public QObject
{
public:
    ModalScript()
    {
        connect(&timer, &QTimer::timeout, this, &ModalScript::poll);
        timer.start(20);
    }

    template<typename Dialog> ModalScript &then(std::function<void(Dialog *)> act)
    {
        steps.append({ &Dialog::staticMetaObject,
                       [act](QWidget *widget) { act(static_cast<Dialog *>(widget)); } });
        return *this;
    }

    bool finished() const { return steps.isEmpty() && unexpected.isEmpty(); }
    QStringList unexpected;

private:
    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || handled.contains(modal))
            return;
        if (!steps.isEmpty() && steps.first().type->cast(modal)) {
            handled.append(modal);
            strangeTicks = 0;
            // Acting may open a nested dialog; the timer fires again only once this call returns.
            QTimer::singleShot(0, modal, [modal, act = steps.takeFirst().act] { act(modal); });
        } else if (++strangeTicks > 100) {
            unexpected << modal->metaObject()->className() + QStringLiteral(" ")
                    + modal->windowTitle();
            handled.append(modal);
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->reject();
        }
    }

    struct Step
    {
        const QMetaObject *type;
        std::function<void(QWidget *)> act;
    };
    QList<Step> steps;
    QList<QPointer<QWidget>> handled;
    QTimer timer;
    int strangeTicks = 0;
};

void typeAndAccept(QFileDialog *dialog, const QString &name)
{
    dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(name);
    // The dialog's accept() is what its Save and Open buttons run; it is no public function.
    QMetaObject::invokeMethod(dialog, "accept");
}

std::function<void(QFileDialog *)> choose(const QString &name)
{
    return [name](QFileDialog *dialog) { typeAndAccept(dialog, name); };
}

std::function<void(QMessageBox *)> answer(QMessageBox::StandardButton button,
                                          QString *text = nullptr)
{
    return [button, text](QMessageBox *box) {
        if (text)
            *text = box->text();
        box->button(button)->click();
    };
}

// Root passes every permission check; without these two capabilities the modes of folders and
// files hold for it as for an operator. Capabilities are per thread: the GUI thread does the file
// work.
class PermissionChecks
{
public:
    PermissionChecks()
    {
        if (syscall(SYS_capget, &header, saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = { saved[0], saved[1] };
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        active = syscall(SYS_capset, &header, reduced) == 0;
    }
    // Whether the modes of folders and files now hold for this thread.
    bool enforced() const { return active || geteuid() != 0; }

    ~PermissionChecks()
    {
        if (active)
            syscall(SYS_capset, &header, saved);
    }

private:
    __user_cap_header_struct header { _LINUX_CAPABILITY_VERSION_3, 0 };
    __user_cap_data_struct saved[2] {};
    bool active = false;
};

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

const QByteArray transfer("DEVICE X-100\r\nSN 517\r\nGROUP#1 0.52\r\nGROUP#1 0.55\r\n"
                          "GROUP#2 1.07\r\nEND\r\n");
const QDateTime controlTime(QDate(2026, 12, 5), QTime(14, 3, 9));

} // namespace

// Save and Read as the operator runs them: through the toolkit's own file dialogs, and with the
// questions and failure boxes that keep readings from being lost.
class ChangeFileDialogsTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void cancelledDialogsChangeNothing_data();
    void cancelledDialogsChangeNothing();
    void saveAppendsTheSuffix_data();
    void saveAppendsTheSuffix();
    void saveAsksBeforeReplacingAFileOnlyTheSuffixNames_data();
    void saveAsksBeforeReplacingAFileOnlyTheSuffixNames();
    void saveThenReadRestoresTheWindow();
    void unwritableFolderKeepsTheOldFileAndSaysWhy();
    void unreadableFileChangesNothingAndSaysWhy();

private:
    void run(const QString &action, ModalScript &script);
    void save(ModalScript &script) { run(QStringLiteral("actionSave"), script); }
    void read(ModalScript &script) { run(QStringLiteral("actionRead"), script); }
    QString screen() const;
    QString path(const QString &name) const { return folder->filePath(name); }
    template<typename T> T *widget(const char *name) const
    {
        return window->findChild<T *>(QLatin1String(name));
    }

    std::unique_ptr<QTemporaryDir> folder;
    std::unique_ptr<MainWindow> window;
    QString previousDirectory;
};

void ChangeFileDialogsTest::init()
{
    folder = std::make_unique<QTemporaryDir>();
    previousDirectory = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder->path()));
    window = std::make_unique<MainWindow>(nullptr, new NoDevices);
    window->show();
    window->receiveDelivery(transfer);
    widget<QLineEdit>("edtObject")->setText(QStringLiteral("Pipe 12"));
    widget<QLineEdit>("edtInspector")->setText(QStringLiteral("Team 2"));
    widget<QDateTimeEdit>("dtmDate")->setDateTime(controlTime);
}

void ChangeFileDialogsTest::cleanup()
{
    window.reset();
    QDir::setCurrent(previousDirectory);
    folder.reset();
}

void ChangeFileDialogsTest::run(const QString &action, ModalScript &script)
{
    window->findChild<QAction *>(action)->trigger();
    QVERIFY2(script.unexpected.isEmpty(), qPrintable(script.unexpected.join(", ")));
    QVERIFY(script.finished());
}

// Everything the operator sees of the readings, as one text to compare before and after.
QString ChangeFileDialogsTest::screen() const
{
    QStringList parts { widget<QLineEdit>("edtObject")->text(),
                        widget<QLineEdit>("edtInspector")->text(),
                        widget<QDateTimeEdit>("dtmDate")->dateTime().toString(Qt::ISODate),
                        widget<QLabel>("lblDevice")->text(),
                        widget<QLabel>("lblZav")->text(),
                        window->instrumentName(),
                        window->instrumentSerialNumber() };
    for (auto group = window->measurementStore().cbegin();
         group != window->measurementStore().cend(); ++group)
        parts << group.key() + QLatin1Char('=') + group->join(QLatin1Char(','));
    const QTableWidget *table = widget<QTableWidget>("tableMeasurement");
    for (int column = 0; column < table->columnCount(); ++column) {
        const QTableWidgetItem *header = table->horizontalHeaderItem(column);
        parts << QStringLiteral("|") + (header ? header->text() : QString());
        for (int row = 0; row < table->rowCount(); ++row)
            parts << (table->item(row, column) ? table->item(row, column)->text() : "-");
    }
    return parts.join(QLatin1Char(';'));
}

void ChangeFileDialogsTest::cancelledDialogsChangeNothing_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("startName");
    QTest::newRow("save") << "actionSave"
                          << "Select a file to save the changes"
                          << "Files of changes(*.csv)"
                          << "Pipe_12_Team_2_";
    QTest::newRow("read") << "actionRead"
                          << "Select a file to read the changes"
                          << "Files of changes (*.csv)"
                          << "";
}

void ChangeFileDialogsTest::cancelledDialogsChangeNothing()
{
    QFETCH(QString, action);
    QFETCH(QString, title);
    QFETCH(QString, filter);
    QFETCH(QString, startName);
    put(path("other.csv"), "THE OBJECT OF CONTROL x\r\nINSPECTOR y\r\n");
    ModalScript script;
    script.then<QFileDialog>([&](QFileDialog *dialog) {
        QCOMPARE(dialog->windowTitle(), title);
        QCOMPARE(dialog->nameFilters(), QStringList { filter });
        QVERIFY(dialog->testOption(QFileDialog::DontUseNativeDialog));
        QCOMPARE(dialog->directory().absolutePath(), QDir(folder->path()).absolutePath());
        const QString name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->text();
        QVERIFY2(name.startsWith(startName) && !name.contains(QRegularExpression("[ .:]")),
                 qPrintable(name));
        dialog->reject();
    });
    const QString before = screen();
    run(action, script);

    QCOMPARE(QDir(folder->path()).entryList(QDir::Files), QStringList { "other.csv" });
    QCOMPARE(screen(), before);
}

void ChangeFileDialogsTest::saveAppendsTheSuffix_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::newRow("no suffix") << "results"
                               << "results.csv";
    QTest::newRow("suffix") << "results.csv"
                            << "results.csv";
    QTest::newRow("suffix in capitals") << "results.CSV"
                                        << "results.CSV.csv";
}

void ChangeFileDialogsTest::saveAppendsTheSuffix()
{
    QFETCH(QString, typed);
    QFETCH(QString, written);
    ModalScript script;
    script.then<QFileDialog>(choose(typed));
    const QString before = screen();
    save(script);

    QCOMPARE(QDir(folder->path()).entryList(QDir::Files), QStringList { written });
    QCOMPARE(contents(path(written)),
             QByteArray("THE OBJECT OF CONTROL Pipe 12\r\nINSPECTOR Team 2\r\n"
                        "05.12.2026 14:03:09\r\nDEVICE X-100\r\nSN 517\r\n"
                        "GROUP#1;0.52;0.55\r\nGROUP#2;1.07\r\n"));
    QCOMPARE(screen(), before);
}

void ChangeFileDialogsTest::saveAsksBeforeReplacingAFileOnlyTheSuffixNames_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("dialogAsks"); // else the window asks
    QTest::addColumn<bool>("replace");
    QTest::newRow("suffix appended, replace") << "results" << false << true;
    QTest::newRow("suffix appended, keep") << "results" << false << false;
    QTest::newRow("suffix typed: the dialog asks, once") << "results.csv" << true << true;
}

void ChangeFileDialogsTest::saveAsksBeforeReplacingAFileOnlyTheSuffixNames()
{
    QFETCH(QString, typed);
    QFETCH(bool, dialogAsks);
    QFETCH(bool, replace);
    const QByteArray old("old readings\r\n");
    put(path("results.csv"), old);

    QString question;
    bool askedByDialog = false;
    ModalScript script;
    script.then<QFileDialog>(choose(typed)).then<QMessageBox>([&](QMessageBox *box) {
        askedByDialog = qobject_cast<QFileDialog *>(box->parentWidget()) != nullptr;
        answer(replace ? QMessageBox::Yes : QMessageBox::No, &question)(box);
    });
    save(script);

    QVERIFY2(question.contains(QStringLiteral("results.csv")), qPrintable(question));
    QCOMPARE(askedByDialog, dialogAsks);
    QCOMPARE(contents(path("results.csv")).startsWith("THE OBJECT OF CONTROL Pipe 12\r\n"),
             replace);
    if (!replace)
        QCOMPARE(contents(path("results.csv")), old);
    QCOMPARE(QDir(folder->path()).entryList(QDir::Files).size(), 1);
}

void ChangeFileDialogsTest::saveThenReadRestoresTheWindow()
{
    widget<QLineEdit>("edtObject")->setText(QStringLiteral("Труба 12"));
    widget<QLineEdit>("edtInspector")->setText(QStringLiteral("Бригада 2"));
    ModalScript saving;
    saving.then<QFileDialog>(choose(QStringLiteral("control")));
    save(saving);
    const QString saved = screen();

    window->receiveDelivery("DEVICE Y-7\r\nSN 9\r\nGROUP#9 3.3\r\nEND\r\n");
    widget<QLineEdit>("edtObject")->setText(QStringLiteral("other"));
    widget<QStatusBar>("statusBar")->showMessage(QStringLiteral("busy"));
    QVERIFY(screen() != saved);

    ModalScript reading;
    reading.then<QFileDialog>(choose(QStringLiteral("control.csv")));
    read(reading);
    QCOMPARE(screen(), saved);
    QVERIFY(widget<QStatusBar>("statusBar")->currentMessage().isEmpty());
}

void ChangeFileDialogsTest::unwritableFolderKeepsTheOldFileAndSaysWhy()
{
    if (!PermissionChecks().enforced())
        QSKIP("running as root without the right to give up its file-permission capabilities");
    QVERIFY(QDir(folder->path()).mkdir(QStringLiteral("locked")));
    const QString target = path(QStringLiteral("locked/results.csv"));
    const QByteArray old("THE OBJECT OF CONTROL earlier\r\n");
    put(target, old);
    QVERIFY(QFile::setPermissions(path("locked"), QFile::ReadOwner | QFile::ExeOwner));

    QString failure;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    ModalScript script;
    script.then<QFileDialog>(choose(QStringLiteral("locked/results")))
        .then<QMessageBox>(answer(QMessageBox::Yes))
        .then<QMessageBox>([&](QMessageBox *box) {
            icon = box->icon();
            answer(QMessageBox::Ok, &failure)(box);
        });
    {
        PermissionChecks checks;
        save(script);
    }
    QFile::setPermissions(path("locked"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QCOMPARE(icon, QMessageBox::Critical);
    QVERIFY2(failure.contains(target) && failure.contains(QStringLiteral("ermission")),
             qPrintable(failure));
    QCOMPARE(contents(target), old);
    QCOMPARE(QDir(path("locked")).entryList(QDir::Files | QDir::Hidden),
             QStringList { QStringLiteral("results.csv") });
}

void ChangeFileDialogsTest::unreadableFileChangesNothingAndSaysWhy()
{
    if (!PermissionChecks().enforced())
        QSKIP("running as root without the right to give up its file-permission capabilities");
    const QString source = path(QStringLiteral("secret.csv"));
    put(source, "THE OBJECT OF CONTROL other\r\nINSPECTOR other\r\n");
    QVERIFY(QFile::setPermissions(source, QFile::WriteOwner));

    QString failure;
    ModalScript script;
    script.then<QFileDialog>(choose(QStringLiteral("secret.csv")))
        .then<QMessageBox>(answer(QMessageBox::Ok, &failure));
    const QString before = screen();
    {
        PermissionChecks checks;
        read(script);
    }
    QVERIFY2(failure.contains(source) && failure.contains(QStringLiteral("ermission")),
             qPrintable(failure));
    QCOMPARE(screen(), before);
}

QTEST_MAIN(ChangeFileDialogsTest)
#include "tst_changefiledialogs.moc"
