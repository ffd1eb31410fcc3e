#pragma once

// What the tests share: a machine whose serial devices a test plays, pseudo-terminals that stand
// in for the instrument's adapter, a window on such a machine, the operator's part in modal
// dialogs, the diagnostics the program writes, and a working directory of the test's own.

#include "device/systemdevicesource.h"
#include "mainwindow/mainwindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>

#include <fcntl.h>
#include <functional>
#include <memory>
#include <poll.h>
#include <pty.h>
#include <unistd.h>
#include <utility>

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
// on the master side.
struct PseudoTerminal
{
    PseudoTerminal()
    {
        int slave = -1;
        char buffer[256] = {};
        if (openpty(&master, &slave, buffer, nullptr, nullptr) == 0)
            ::close(slave);
        path = QString::fromLocal8Bit(buffer);
    }
    ~PseudoTerminal() { hangUp(); }
    Q_DISABLE_COPY(PseudoTerminal)

    // The name under which device lists show it, and which the open port reports.
    QString name() const { return SystemDeviceSource::listedName(path); }
    bool write(const QByteArray &b) { return ::write(master, b.data(), b.size()) == b.size(); }
    // True while some process has the slave open.
    bool slaveIsOpen() const
    {
        pollfd fd { master, 0, 0 };
        return master >= 0 && poll(&fd, 1, 0) >= 0 && !(fd.revents & POLLHUP);
    }
    // The line settings that whoever opened the slave gave it.
    termios settings() const
    {
        termios line {};
        const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        tcgetattr(fd, &line);
        ::close(fd);
        return line;
    }
    void hangUp() { ::close(std::exchange(master, -1)); }

    int master = -1;
    QString path;
};

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

    FakeDeviceSource *source;
    std::unique_ptr<MainWindow> window;
};

// What a table shows: the headers, then each row; a cell without an item shows as "-".
inline QStringList tableText(const QTableWidget *table)
{
    QStringList lines;
    const auto text = [](const QTableWidgetItem *item) { return item ? item->text() : "-"; };
    QStringList cells;
    for (int column = 0; column < table->columnCount(); ++column)
        cells << text(table->horizontalHeaderItem(column));
    lines << cells.join(u'|');
    for (int row = 0; row < table->rowCount(); ++row) {
        cells.clear();
        for (int column = 0; column < table->columnCount(); ++column)
            cells << text(table->item(row, column));
        lines << cells.join(u'|');
    }
    return lines;
}

// One step of the operator's part in a modal dialog: acts on it if it is of the step's kind, and
// says whether it was.
using Step = std::function<bool(QWidget *)>;

// Types a name into a file dialog and accepts it.
inline Step choose(const QString &name)
{
    return [name](QWidget *widget) {
        auto *dialog = qobject_cast<QFileDialog *>(widget);
        if (dialog) {
            dialog->findChild<QLineEdit *>("fileNameEdit")->setText(name);
            QMetaObject::invokeMethod(dialog, "accept");
        }
        return dialog != nullptr;
    };
}

// Clicks a button of a message box, noting its icon, title, text and informative text; an action
// given runs first, inside the box's event loop.
inline Step press(QMessageBox::StandardButton button, QStringList *said = nullptr,
                  const std::function<void()> &inside = {})
{
    return [=](QWidget *widget) {
        auto *box = qobject_cast<QMessageBox *>(widget);
        if (!box)
            return false;
        if (said)
            *said << QString::number(box->icon()) << box->windowTitle() << box->text()
                  << box->informativeText();
        if (inside)
            inside();
        box->button(button)->click();
        return true;
    };
}

// Notes a dialog's title and the page it shows, and closes it.
inline Step readPage(QStringList *seen)
{
    return [seen](QWidget *widget) {
        auto *dialog = qobject_cast<QDialog *>(widget);
        if (dialog) {
            *seen << dialog->windowTitle()
                  << dialog->findChild<QTextBrowser *>("webView")->toPlainText();
            dialog->reject();
        }
        return dialog != nullptr;
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
        // Acting may open a nested dialog; the timer fires again only once this call returns.
        QTimer::singleShot(0, modal, [&unexpected, modal, step] {
            if (step && step(modal))
                return;
            unexpected << QStringLiteral("unexpected ") + modal->metaObject()->className();
            qobject_cast<QDialog *>(modal)->reject();
        });
    });
    timer.start(20);
    action();
    if (!steps.isEmpty())
        unexpected << QStringLiteral("%1 dialog(s) never shown").arg(steps.size());
    return unexpected.join(u", ");
}

// The debug diagnostics written while it exists; others go on to the previous handler.
struct DiagnosticsCapture
{
    DiagnosticsCapture() { current = this; }
    ~DiagnosticsCapture() { qInstallMessageHandler(std::exchange(current, nullptr)->previous); }
    Q_DISABLE_COPY(DiagnosticsCapture)

    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        if (type == QtDebugMsg && current)
            current->messages.append(text);
        else if (current && current->previous)
            current->previous(type, context, text);
    }

    static inline DiagnosticsCapture *current = nullptr;
    QtMessageHandler previous = qInstallMessageHandler(&handle);
    QStringList messages;
};

// An empty working directory of its own while it exists, where the program looks for its files.
struct WorkingDirectory
{
    WorkingDirectory() { QDir::setCurrent(folder.path()); }
    ~WorkingDirectory() { QDir::setCurrent(previous); }
    Q_DISABLE_COPY(WorkingDirectory)
    QString path(const QString &name) const { return folder.filePath(name); }

    QTemporaryDir folder;
    QString previous = QDir::currentPath();
};

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}
