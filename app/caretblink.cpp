#include "app/caretblink.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QStyleHints>

CaretBlinkTimeout::CaretBlinkTimeout(int timeoutMs, QObject *parent)
    : QObject(parent)
{
    timeout.setSingleShot(true);
    timeout.setInterval(timeoutMs);
    connect(&timeout, &QTimer::timeout, this, &CaretBlinkTimeout::stopBlinking);
    QCoreApplication::instance()->installEventFilter(this);
    timeout.start();
}

CaretBlinkTimeout::~CaretBlinkTimeout()
{
    resumeBlinking();
}

bool CaretBlinkTimeout::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    // A key that a shortcut takes is seen only as its override request.
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TabletPress:
    // A field taking the focus, also as its window comes back to the front, as on the desktops.
    case QEvent::FocusIn:
        resumeBlinking();
        timeout.start();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void CaretBlinkTimeout::stopBlinking()
{
    QStyleHints *hints = QGuiApplication::styleHints();
    if (stoppedFlashTime >= 0 || hints->cursorFlashTime() == 0)
        return;
    stoppedFlashTime = hints->cursorFlashTime();
    // A flash time of 0 shows the caret steadily.
    hints->setCursorFlashTime(0);
}

void CaretBlinkTimeout::resumeBlinking()
{
    if (stoppedFlashTime < 0)
        return;
    QGuiApplication::styleHints()->setCursorFlashTime(stoppedFlashTime);
    stoppedFlashTime = -1;
}
