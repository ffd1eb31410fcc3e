#include "protocol/protocol.h"

#include "records/grouporder.h"

#include <QCoreApplication>

#include <algorithm>

// The fixed pieces of the protocol are markup, and a translation may change that markup too, so
// each of them is looked up in full.

namespace {

constexpr qsizetype groupsPerTable = 10;

// Received and typed texts are shown as written: a reading such as "<0.5" must not turn into
// markup, nor break the document around it.
QString inserted(QStringView text)
{
    return text.toString().toHtmlEscaped();
}

void appendTable(QString &document, const Measurements &measurements, const QStringList &groups)
{
    document += QCoreApplication::translate("MainWindow", "<table border=\"1\">");
    document += QCoreApplication::translate("MainWindow", "<tr><th>");
    qsizetype rows = 0;
    for (const QString &group : groups) {
        document += QCoreApplication::translate("MainWindow", "<th>") + inserted(group);
        rows = std::max(rows, measurements.value(group).size());
    }
    // Row numbers start again at 1 in every table, and a value keeps the row of its position in
    // its group: shorter groups leave their cells at the bottom empty.
    for (qsizetype row = 0; row < rows; ++row) {
        document += QCoreApplication::translate("MainWindow", "<tr>");
        document += QCoreApplication::translate("MainWindow", "<td>") + QString::number(row + 1);
        for (const QString &group : groups) {
            document += QCoreApplication::translate("MainWindow", "<td>");
            const Readings values = measurements.value(group);
            if (row < values.size())
                document += inserted(values.at(row));
        }
    }
    document += QCoreApplication::translate("MainWindow", "</table>");
    document += QCoreApplication::translate("MainWindow", "<p></p>");
}

} // namespace

QString buildProtocol(const Control &control, const QString &shownDate)
{
    QString document;
    document += QCoreApplication::translate("MainWindow", "<h1>D I R I R E Z E</h1>");
    document += QCoreApplication::translate("MainWindow", "<p>PROTOCOL OF CONTROL</p>");
    document += QCoreApplication::translate("MainWindow", "<p></p>");
    document += QCoreApplication::translate("MainWindow", "<p><b>") + inserted(control.deviceName)
        + QLatin1Char(' ') + inserted(control.serialNumber)
        + QCoreApplication::translate("MainWindow", "</b></p>");
    document += QCoreApplication::translate("MainWindow", "<p>THE OBJECT OF CONTROL <b>")
        + inserted(control.object) + QCoreApplication::translate("MainWindow", "</b></p>");
    document += QCoreApplication::translate("MainWindow", "<p>DATE <b>") + inserted(shownDate)
        + QCoreApplication::translate("MainWindow", "</b></p>");
    document += QCoreApplication::translate("MainWindow", "<p>INSPECTOR <b>")
        + inserted(control.inspector) + QCoreApplication::translate("MainWindow", "</b></p>");
    document += QCoreApplication::translate("MainWindow", "<p></p>");
    document += QCoreApplication::translate("MainWindow", "<p>MEASUREMENTS</p>");

    const QStringList groups = groupsInOrder(control.measurements);
    for (qsizetype first = 0; first < groups.size(); first += groupsPerTable)
        appendTable(document, control.measurements, groups.mid(first, groupsPerTable));
    return document;
}
