#pragma once

#include "device/systemdevicesource.h"
#include "mainwindow/mainwindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <functional>
#include <memory>
#include <utility>

#include <poll.h>
#include <pty.h>
#include <unistd.h>

// A machine whose serial devices a test chooses: play() hands over a new list and tells the
// enumerator to look again, as a device event would.
class FakeDeviceSource : public SerialDeviceSource
{
public:
    explicit FakeDeviceSource(QList<SerialDeviceInfo> initial)
        : devices(std::move(initial))
    { }
    QList<SerialDeviceInfo> scan() override { return devices; }
    void start() override { started = true; }
    void play(const QList<SerialDeviceInfo> &next)
    {
        devices = next;
        emit changed();
    }

    QList<SerialDeviceInfo> devices;
    bool started = false;
};

// A listed device, by default an adapter of the instrument.
inline SerialDeviceInfo device(const QString &name, const QString &productId = "6001",
                               const QString &vendorId = "0403")
{
    return { name, productId, vendorId, "USB serial converter", {}, "A50285BI", "/dev/" + name };
}

// A device name with no device behind it, so that opening it fails.
static const QString missingDevice = QStringLiteral("/nonexistent/tolvaren-adapter");

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
    void hangUp() { ::close(std::exchange(master, -1)); }

    int master = -1;
    QString path;
};

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

// Answers every message box that opens: notes what the last one showed, runs an optional action
// inside the first one's event loop, then presses OK.
struct MessageBoxAnswerer
{
    explicit MessageBoxAnswerer(std::function<void()> insideBox = {})
        : action(std::move(insideBox))
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            ++boxes;
            icon = box->icon();
            shown = { box->windowTitle(), box->text(), box->informativeText() };
            buttons = box->standardButtons();
            if (action)
                std::exchange(action, {})();
            box->button(QMessageBox::Ok)->click();
        });
        timer.start(10);
    }

    int boxes = 0;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QStringList shown; // title, text, informative text
    std::function<void()> action;
    QTimer timer;
};

// A window on a machine whose devices the test plays.
struct DeviceFixture
{
    explicit DeviceFixture(const QList<SerialDeviceInfo> &initial)
        : source(new FakeDeviceSource(initial))
        , window(std::make_unique<MainWindow>(nullptr, source))
    { }
    bool indicator() const { return window->findChild<QAction *>("actionConnection")->isChecked(); }

    FakeDeviceSource *source;
    std::unique_ptr<MainWindow> window;
};
