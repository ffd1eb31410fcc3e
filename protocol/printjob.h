#pragma once

#include <QPrinter>
#include <QTemporaryFile>

class QPrinterInfo;

// One print on a queue of the system's print service. The document is painted into a spool file
// of its own and handed to the service here, because the toolkit hands it over without saying
// whether the service took it: a queue that rejects jobs would lose the protocol unseen.
class PrintJob
{
public:
    explicit PrintJob(const QPrinterInfo &printerInfo);

    // The printer to paint the document on, with the queue's own page setup.
    QPrinter &printer() { return device; }

    // Hands what was painted to the print service under the given title. Returns false with the
    // reason, the service's own where it gave one, when the job was not taken.
    bool submit(const QString &title, QString *errorString);

private:
    QTemporaryFile spool;
    QPrinter device;
};
