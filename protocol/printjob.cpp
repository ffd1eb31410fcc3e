#include "protocol/printjob.h"

#include <QCoreApplication>
#include <QDir>
#include <QPageLayout>
#include <QPrinterInfo>

#include <cups/cups.h>

#include <utility>
#include <vector>

PrintJob::PrintJob(const QPrinterInfo &printerInfo)
    : spool(QDir::tempPath() + QStringLiteral("/tolvaren-print-XXXXXX"))
    , device(printerInfo, QPrinter::ScreenResolution)
{
    // Without a ".pdf" ending the printer stays the queue's own and keeps its page setup; it only
    // writes into the file instead of handing the job over itself.
    if (spool.open())
        device.setOutputFileName(spool.fileName());
}

bool PrintJob::submit(const QString &title, QString *errorString)
{
    if (device.outputFileName().isEmpty() || device.printerState() == QPrinter::Error
        || device.printerState() == QPrinter::Aborted || spool.size() == 0) {
        *errorString = QCoreApplication::translate("MainWindow", "The document could not be made.");
        return false;
    }

    // What the toolkit would have asked for: the page size, one or two sides, the orientation.
    std::vector<std::pair<QByteArray, QByteArray>> options {
        { "media", device.pageLayout().pageSize().key().toUtf8() }
    };
    switch (device.duplex()) {
    case QPrinter::DuplexNone:
        options.emplace_back("sides", "one-sided");
        break;
    case QPrinter::DuplexShortSide:
        options.emplace_back("sides", "two-sided-short-edge");
        break;
    case QPrinter::DuplexLongSide:
    case QPrinter::DuplexAuto:
        options.emplace_back("sides", "two-sided-long-edge");
        break;
    }
    if (device.pageLayout().orientation() == QPageLayout::Landscape)
        options.emplace_back("landscape", "");
    std::vector<cups_option_t> cupsOptions;
    for (auto &[name, value] : options)
        cupsOptions.push_back({ name.data(), value.data() });

    // A queue's instance ("queue/instance") prints on the queue itself.
    const QByteArray queue = device.printerName().section(QLatin1Char('/'), 0, 0).toLocal8Bit();
    const int job =
        cupsPrintFile(queue.constData(), QFile::encodeName(spool.fileName()).constData(),
                      title.toUtf8().constData(), int(cupsOptions.size()), cupsOptions.data());
    if (job == 0) {
        *errorString = QString::fromUtf8(cupsLastErrorString());
        return false;
    }
    return true;
}
