#include "records/control.h"

QString Control::instrument() const
{
    QStringList names;
    if (!deviceName.isEmpty())
        names.append(deviceName);
    if (!serialNumber.isEmpty())
        names.append(serialNumber);
    return names.join(QLatin1Char(' '));
}
