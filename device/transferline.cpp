#include "device/transferline.h"

#include <QCoreApplication>

TransferMarkers TransferMarkers::current()
{
    TransferMarkers markers;
    markers.device = QCoreApplication::translate("MainWindow", "DEVICE");
    markers.serial = QCoreApplication::translate("MainWindow", "SN");
    markers.group = QCoreApplication::translate("MainWindow", "GROUP");
    markers.groupSeparator = QCoreApplication::translate("MainWindow", "#");
    markers.end = QCoreApplication::translate("MainWindow", "END");
    return markers;
}

GroupSplit splitGroupLine(const QString &line, const QString &groupSeparator)
{
    const qsizetype separatorAt = line.indexOf(groupSeparator);
    // Without a separator the search starts at the last character, as a negative start position
    // always did: only a blank at the very end then ends the name.
    const qsizetype from = separatorAt >= 0 ? separatorAt : line.size() - 1;
    const qsizetype blankAt = from >= 0 ? line.indexOf(QLatin1Char(' '), from) : -1;
    if (blankAt < 0)
        return { line, line };
    return { line.left(blankAt), line.mid(blankAt + 1) };
}

TransferLine interpretLine(const QString &line, const TransferMarkers &markers)
{
    TransferLine result;
    result.isDevice = line.contains(markers.device);
    result.isSerial = line.contains(markers.serial);
    result.isGroup = line.contains(markers.group);
    result.isEnd = line.contains(markers.end);
    if (result.isGroup) {
        const GroupSplit split = splitGroupLine(line, markers.groupSeparator);
        result.groupName = split.name;
        result.value = split.value;
    }
    return result;
}
