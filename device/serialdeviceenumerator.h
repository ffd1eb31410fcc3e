#pragma once

#include "device/serialdevicesource.h"

#include <QStringList>

// Watches the machine's serial devices and reports the names of all of them whenever that set
// changes. It also describes one selected device at a time, for the adapter match and diagnostics.
class SerialDeviceEnumerator : public QObject
{
    Q_OBJECT
public:
    // Takes ownership of the source; without one, the operating system's devices are watched.
    explicit SerialDeviceEnumerator(SerialDeviceSource *source = nullptr,
                                    QObject *parent = nullptr);

    // Enabling reports the devices present at once, then every change of the set of names.
    void setEnabled(bool enabled);
    bool isEnabled() const { return enabled; }

    void setDeviceName(const QString &name);
    QString name() const;
    QString productID() const;
    QString vendorID() const;
    QString friendlyName() const;
    QStringList hardwareID() const;
    QString revision() const;

    SerialDeviceSource *source() const { return deviceSource; }

    // Reports the device as gone at once, and as present again as soon as a later look lists
    // it; one such look is made by itself after a second. For a port that the system has already
    // given up on (an adapter pulled out, a pseudo-terminal hung up), whose device may leave and
    // come back between two looks.
    void reportGone(const QString &name);
    static constexpr int lookAgainAfterGoneMs = 1000;

signals:
    void hasChanged(const QStringList &devices);

private:
    void rescan();

    SerialDeviceSource *deviceSource;
    bool enabled = false;
    bool reportedOnce = false;
    QList<SerialDeviceInfo> present;
    QStringList reportedNames;
    SerialDeviceInfo selected;
};
