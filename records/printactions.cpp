#include "mainwindow/mainwindow.h"
#include "ui_mainwindow.h"

#include "dialogs/plainmessage.h"
#include "protocol/printjob.h"
#include "protocol/protocol.h"
#include "protocol/protocoljob.h"
#include "protocol/protocolpages.h"

#include <QMessageBox>
#include <QPrinterInfo>

void MainWindow::on_actionPrint_activated()
{
    keepTypedNames();
    const QMessageBox::StandardButton answer =
        QMessageBox::warning(this, tr("Print"), tr("Do you want to print a table of changes?"),
                             QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;

    // The box ran an event loop, in which a transfer may have arrived: the protocol shows what
    // stands now.
    const QString protocol = buildProtocol(shownControl(), ui->dtmDate->text());

    // Without a default printer the toolkit would quietly take the first printer it finds, or
    // print nowhere at all; the operator is told instead.
    const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
    if (defaultPrinter.isNull()) {
        QMessageBox::warning(this, tr("Print"),
                             tr("There is no printer to print on. The protocol was not printed."));
        return;
    }
    // A stopped printer would hold the job and print it at some later, unknown time.
    if (defaultPrinter.state() == QPrinter::Error) {
        showPlainMessage(this, QMessageBox::Warning, tr("Print"),
                         tr("The printer %1 reports an error. The protocol was not printed.")
                             .arg(defaultPrinter.printerName()));
        return;
    }

    PrintJob job(defaultPrinter);
    QPrinter &printer = job.printer();
    QPageLayout paper = printer.pageLayout();
    paper.setUnits(QPageLayout::Point);
    printer.setPageLayout(ProtocolPages::pageLayoutFor(paper.pageSize(), paper.minimumMargins()));
    const ProtocolOutcome outcome =
        paintProtocol(this, protocol, &printer, /*cancelWhilePainting=*/false);
    if (outcome == ProtocolOutcome::Cancelled)
        return;
    QString reason;
    if (outcome == ProtocolOutcome::Failed)
        reason = tr("The document could not be made.");
    if (outcome == ProtocolOutcome::Failed || !job.submit(tr("Protocol of control"), &reason)) {
        QMessageBox box(QMessageBox::Warning, tr("Print"), QString(), QMessageBox::Ok, this);
        setPlainTexts(
            box, tr("The protocol could not be printed on %1.").arg(defaultPrinter.printerName()),
            reason);
        box.exec();
    }
}
