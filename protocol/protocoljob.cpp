#include "protocol/protocoljob.h"

#include "dialogs/backgroundwork.h"
#include "protocol/protocolpages.h"

#include <QCoreApplication>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QProgressDialog>

#include <atomic>

namespace {

QString translated(const char *text)
{
    return QCoreApplication::translate("MainWindow", text);
}

} // namespace

ProtocolOutcome paintProtocol(QWidget *parent, const QString &html, QPagedPaintDevice *device,
                              bool cancelWhilePainting)
{
    std::atomic<int> pageCount { 0 }; // 0 while the layout runs
    std::atomic<int> pagesDone { 0 };
    std::atomic<bool> cancelled { false };
    ProtocolOutcome outcome = ProtocolOutcome::Failed;

    const QPageLayout pageLayout = device->pageLayout();
    const auto work = [&] {
        ProtocolPages pages(html, pageLayout);
        if (cancelled) {
            outcome = ProtocolOutcome::Cancelled;
            return;
        }
        pageCount = pages.pageCount();
        QPainter painter(device);
        if (!painter.isActive())
            return;
        const bool complete = pages.paint(painter, device, [&](int done) {
            pagesDone = done;
            return !(cancelWhilePainting && cancelled);
        });
        outcome = complete ? ProtocolOutcome::Complete
            : cancelled    ? ProtocolOutcome::Cancelled
                           : ProtocolOutcome::Failed;
        // An unfinished painting still ends as a document; a cancelled one is thrown away by
        // its caller.
        painter.end();
    };

    QProgressDialog progress(parent);
    progress.setLabelText(translated(QT_TRANSLATE_NOOP("MainWindow", "Laying out the protocol…")));
    progress.setRange(0, 0);
    progress.setObjectName(QStringLiteral("protocolProgress"));
    progress.setWindowTitle(translated(QT_TRANSLATE_NOOP("MainWindow", "Protocol of control")));

    runBesideWindow(progress, work, [&] {
        if (progress.wasCanceled())
            cancelled = true;
        const int pages = pageCount;
        if (pages == 0 || progress.wasCanceled())
            return;
        if (progress.maximum() != pages) {
            progress.setMaximum(pages);
            if (!cancelWhilePainting)
                progress.setCancelButton(nullptr);
        }
        progress.setLabelText(translated(QT_TRANSLATE_NOOP("MainWindow", "Page %1 of %2…"))
                                  .arg(pagesDone)
                                  .arg(pages));
        progress.setValue(pagesDone);
    });
    return outcome;
}
