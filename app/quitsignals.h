#pragma once

#include <QObject>

class QSocketNotifier;

// The signals by which the system asks a program to end (SIGTERM, SIGINT, and SIGHUP at logout)
// are told by the event loop as quitRequested(), so that the program ends the way it does when
// the operator quits it. A signal ignored when the program starts (nohup) stays ignored. One at a
// time per process.
class QuitSignals : public QObject
{
    Q_OBJECT

public:
    explicit QuitSignals(QObject *parent = nullptr);
    ~QuitSignals() override;

signals:
    void quitRequested();

private:
    void takeSignals();

    QSocketNotifier *notifier = nullptr;
};
