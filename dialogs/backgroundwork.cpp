#include "dialogs/backgroundwork.h"

#include <QCoreApplication>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>

#include <memory>

namespace {

constexpr int showProgressAfterMs = 800;
constexpr int progressTickMs = 50;

} // namespace

void runBesideWindow(QProgressDialog &progress, const std::function<void()> &work,
                     const std::function<void()> &onTick)
{
    progress.setWindowModality(Qt::WindowModal);
    progress.setAutoReset(false);
    progress.setValue(progress.minimum());
    // Set at the dialog's first value, so that it shows after this time at the latest.
    progress.setMinimumDuration(showProgressAfterMs);

    std::unique_ptr<QThread> worker(QThread::create(work));
    bool finished = false;
    QObject::connect(worker.get(), &QThread::finished, &progress, [&] { finished = true; });
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &progress, onTick);
    tick.start(progressTickMs);
    worker->start();
    while (!finished) {
        QCoreApplication::processEvents(
            QEventLoop::WaitForMoreEvents
            | (progress.isVisible() ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents));
    }
    worker->wait();
}
