#pragma once

#include "fakedevicesource.h"

#include "device/systemdevicesource.h"
#include "mainwindow/mainwindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

// A pseudo-terminal whose slave stands in for an adapter's device; the test plays the instrument
// on the master side.
class PseudoTerminal
{
public:
    PseudoTerminal()
    {
        int slave = -1;
        char path[256] = {};
        if (openpty(&master, &slave, path, nullptr, nullptr) == 0) {
            ::close(slave);
            devicePath = QString::fromLocal8Bit(path);
        }
    }
    ~PseudoTerminal() { hangUp(); }
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    bool isValid() const { return master >= 0; }
    QString path() const { return devicePath; }
    // The name under which device lists show it, and which the open port reports.
    QString name() const { return SystemDeviceSource::listedName(devicePath); }

    bool write(const QByteArray &bytes)
    {
        return master >= 0
            && ::write(master, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }

    // True while some process has the slave open.
    bool slaveIsOpen() const
    {
        pollfd fd { master, 0, 0 };
        return master >= 0 && poll(&fd, 1, 0) >= 0 && !(fd.revents & POLLHUP);
    }

    void hangUp()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }

private:
    int master = -1;
    QString devicePath;
};

// The debug diagnostics written while it exists.
class DiagnosticsCapture
{
public:
    DiagnosticsCapture()
    {
        current = this;
        previous = qInstallMessageHandler(&DiagnosticsCapture::handle);
    }
    ~DiagnosticsCapture()
    {
        qInstallMessageHandler(previous);
        current = nullptr;
    }
    DiagnosticsCapture(const DiagnosticsCapture &) = delete;
    DiagnosticsCapture &operator=(const DiagnosticsCapture &) = delete;

    QStringList messages;

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        if (type == QtDebugMsg && current)
            current->messages.append(text);
        else if (current && current->previous)
            current->previous(type, context, text);
    }

    static inline DiagnosticsCapture *current = nullptr;
    QtMessageHandler previous = nullptr;
};

// Answers the next message box that opens: notes what it showed, runs an optional action
// inside its event loop, then presses OK.
class MessageBoxAnswerer : public QObject
{
public:
    explicit MessageBoxAnswerer(std::function<void()> insideBox = {})
        : action(std::move(insideBox))
    {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, this, [this] { answer(); });
        timer.start();
    }

    int boxes = 0;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
    QString text;
    QString informativeText;
    int buttons = 0;

private:
    void answer()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        ++boxes;
        icon = box->icon();
        title = box->windowTitle();
        text = box->text();
        informativeText = box->informativeText();
        buttons = int(box->buttons().size());
        if (action) {
            action();
            action = {};
        }
        box->button(QMessageBox::Ok)->click();
    }

    QTimer timer;
    std::function<void()> action;
};

// A window on a machine whose devices the test plays.
struct DeviceFixture
{
    explicit DeviceFixture(const QList<SerialDeviceInfo> &initial)
        : source(new FakeDeviceSource(initial))
        , window(std::make_unique<MainWindow>(nullptr, source))
    { }
    bool indicator() const
    {
        return window->findChild<QAction *>(QStringLiteral("actionConnection"))->isChecked();
    }

    FakeDeviceSource *source;
    std::unique_ptr<MainWindow> window;
};

inline SerialDeviceInfo adapterDevice(const QString &name)
{
    return FakeDeviceSource::device(name, QStringLiteral("6001"));
}

// A device name with no device behind it, so that opening it fails.
inline QString missingDevice()
{
    return QStringLiteral("/nonexistent/tolvaren-adapter");
}
