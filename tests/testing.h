#pragma once

// What the window's tests share besides the core's: a machine whose serial devices a test plays,
// pseudo-terminals that stand in for the instrument's adapter, a window on such a machine, the
// operator's part in modal dialogs and the diagnostics the program writes.

#include "coretesting.h"
#include "device/systemdevicesource.h"
#include "mainwindow/mainwindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QTextBrowser>
#include <QTimer>

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <poll.h>
#include <pty.h>
#include <unistd.h>
#include <utility>

// The tests' settings live in a folder of their own, never in the user's: set before the program
// first looks for its settings file, whose place the toolkit then keeps.
inline const QString testConfigHome = [] {
    static QTemporaryDir folder;
    qputenv("XDG_CONFIG_HOME", folder.path().toLocal8Bit());
    return folder.path();
}();

// A machine whose serial devices a test chooses: play() hands over a new list and tells the
// enumerator to look again, as a device event would.
class FakeDeviceSource : public SerialDeviceSource
{
public:
    explicit FakeDeviceSource(QList<SerialDeviceInfo> initial)
        : devices(std::move(initial))
    { }
    QList<SerialDeviceInfo> scan() override { return devices; }
    void start() override { }
    void play(const QList<SerialDeviceInfo> &next)
    {
        devices = next;
        emit changed();
    }

    QList<SerialDeviceInfo> devices;
};

// A listed device, by default an adapter of the instrument.
inline SerialDeviceInfo device(const QString &name, const QString &productId = "6001")
{
    return { name, productId, "0403", "USB serial converter", {}, "A50285BI", "/dev/" + name };
}

// A pseudo-terminal whose slave stands in for an adapter's device; the test plays the instrument
// on the master side. Raw from the start, so that no byte is changed or echoed even before the
// program has set the line up.
struct PseudoTerminal
{
    PseudoTerminal()
    {
        int slave = -1;
        char buffer[256] = {};
        termios raw {};
        cfmakeraw(&raw);
        if (openpty(&master, &slave, buffer, &raw, nullptr) == 0)
            ::close(slave);
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
        path = QString::fromLocal8Bit(buffer);
    }
    ~PseudoTerminal() { hangUp(); }
    Q_DISABLE_COPY(PseudoTerminal)

    // The name under which device lists show it, and which the open port reports.
    QString name() const { return SystemDeviceSource::listedName(path); }
    // Writes all bytes, waiting while the program's side is full; false when it stays full for
    // 15 s or the line fails.
    bool write(const QByteArray &bytes) const
    {
        for (qsizetype done = 0; done < bytes.size();) {
            const ssize_t written = ::write(master, bytes.data() + done, bytes.size() - done);
            pollfd fd { master, POLLOUT, 0 };
            if ((written < 0 && errno != EAGAIN) || (written <= 0 && poll(&fd, 1, 15000) == 0))
                return false;
            done += std::max<ssize_t>(written, 0);
        }
        return true;
    }
    // True while some process has the slave open.
    bool slaveIsOpen() const
    {
        pollfd fd { master, 0, 0 };
        return master >= 0 && poll(&fd, 1, 0) >= 0 && !(fd.revents & POLLHUP);
    }
    void hangUp() { ::close(std::exchange(master, -1)); }

    int master = -1;
    QString path;
};

// What a table shows: the headers, then each row; a cell without a reading shows as "-".
inline QStringList tableText(const QAbstractItemModel *model)
{
    QStringList lines;
    for (int row = -1; row < model->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < model->columnCount(); ++column) {
            const QVariant cell = row < 0 ? model->headerData(column, Qt::Horizontal)
                                          : model->index(row, column).data();
            cells << (cell.isValid() ? cell.toString() : "-");
        }
        lines << cells.join(u'|');
    }
    return lines;
}

// A window on a machine whose devices the test plays; none unless given.
struct TestWindow
{
    explicit TestWindow(const QList<SerialDeviceInfo> &devices = {})
        : source(new FakeDeviceSource(devices))
        , window(std::make_unique<MainWindow>(nullptr, source))
    { }
    template<typename T = QWidget> T *widget(const char *name) const
    {
        return window->findChild<T *>(QLatin1String(name));
    }
    void trigger(const char *action) const { widget<QAction>(action)->trigger(); }
    bool indicator() const { return widget<QAction>("actionConnection")->isChecked(); }
    QString text(const char *lineEdit) const { return widget<QLineEdit>(lineEdit)->text(); }
    QSerialPort *port() const { return window->serialPort(); }
    QStringList table() const { return tableText(widget<QTableView>("tableMeasurement")->model()); }

    FakeDeviceSource *source;
    std::unique_ptr<MainWindow> window;
};

// One step of the operator's part in a modal dialog: acts on it if it is of the step's kind, and
// says whether it was.
using Step = std::function<bool(QWidget *)>;

// Types a name into a file dialog, with the kind of file if given, and accepts it.
inline Step choose(const QString &name, const QString &filter = {})
{
    return [name, filter](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        if (dialog && !filter.isEmpty())
            dialog->selectNameFilter(filter);
        if (dialog)
            dialog->findChild<QLineEdit *>("fileNameEdit")->setText(name);
        return dialog && QMetaObject::invokeMethod(dialog, "accept");
    };
}

// Clicks a button of a message box, noting its icon, title, text and informative text; an action
// given runs first, inside the box's event loop.
inline Step press(QMessageBox::StandardButton button, QStringList *said = nullptr,
                  const std::function<void()> &inside = {})
{
    return [=](QWidget *widget) {
        auto *box = qobject_cast<QMessageBox *>(widget);
        QAbstractButton *answer = box ? box->button(button) : nullptr;
        if (!answer) // another box than the one expected
            return false;
        if (said)
            *said << QString::number(box->icon()) << box->windowTitle() << box->text()
                  << box->informativeText();
        if (inside)
            inside();
        answer->click();
        return true;
    };
}

// Cancels a progress dialog.
inline bool cancelProgress(QWidget *modal)
{
    auto *progress = qobject_cast<QProgressDialog *>(modal);
    return progress && (progress->cancel(), true);
}

// Notes a dialog's title, the page it shows and the version it names, and closes it with its
// Close button.
inline Step readPage(QStringList *seen)
{
    return [seen](QWidget *modal) {
        if (auto *view = modal->findChild<QTextBrowser *>("webView"))
            *seen << modal->windowTitle() << view->toPlainText();
        if (auto *version = modal->findChild<QLabel *>("version"))
            *seen << version->text();
        auto *buttons = modal->findChild<QDialogButtonBox *>();
        QPushButton *close = buttons ? buttons->button(QDialogButtonBox::Close) : nullptr;
        return close && (close->click(), true);
    };
}

// Runs the action while playing the operator's part in the modal dialogs it opens, one step per
// dialog, in their own event loops. A dialog that no step expects is rejected, so that a test
// fails instead of hanging. Returns what went otherwise than planned, or nothing.
inline QString operate(const std::function<void()> &action, QList<Step> steps)
{
    QStringList unexpected;
    QList<QPointer<QWidget>> handled;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QPointer<QWidget> modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || handled.contains(modal))
            return;
        handled << modal;
        const Step step = steps.isEmpty() ? Step() : steps.takeFirst();
        // Acting may open a nested dialog; the timer fires again only once this call returns. A
        // dialog still open when the action has returned is left alone, as is one already gone.
        QTimer::singleShot(0, &timer, [&unexpected, modal, step] {
            if (!modal || (step && step(modal)))
                return;
            unexpected << QStringLiteral("unexpected ") + modal->metaObject()->className();
            if (auto *dialog = qobject_cast<QDialog *>(modal.data()))
                dialog->reject();
            else
                modal->close();
        });
    });
    timer.start(20);
    action();
    if (!steps.isEmpty())
        unexpected << QStringLiteral("%1 dialog(s) never shown").arg(steps.size());
    return unexpected.join(u", ");
}

// The debug diagnostics written while it exists; other messages go on to the previous handler.
struct DiagnosticsCapture
{
    DiagnosticsCapture() { current = this; }
    ~DiagnosticsCapture() { qInstallMessageHandler(std::exchange(current, nullptr)->previous); }
    Q_DISABLE_COPY(DiagnosticsCapture)

    static inline DiagnosticsCapture *current = nullptr;
    QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext &context, const QString &text) {
            type == QtDebugMsg ? current->messages.append(text)
                               : current->previous(type, context, text);
        });
    QStringList messages;
};
