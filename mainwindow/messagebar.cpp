#include "mainwindow/messagebar.h"

#include <QEvent>
#include <QLabel>
#include <QTime>

#include <algorithm>

namespace {

// Enough for a long session; the oldest go first, so that a hostile stream cannot fill memory.
constexpr qsizetype maxLogEntries = 2000;

} // namespace

MessageBar::MessageBar(QWidget *parent)
    : QStatusBar(parent)
{
    // The toolkit's own drawing of the message cannot elide; this label covers it, in the place
    // the toolkit would draw it.
    messageLabel = new QLabel(this);
    messageLabel->setObjectName(QStringLiteral("statusMessage"));
    messageLabel->setTextFormat(Qt::PlainText); // messages name files and received texts
    messageLabel->setAutoFillBackground(true);
    messageLabel->setIndent(2);
    messageLabel->hide();
    connect(this, &QStatusBar::messageChanged, this, &MessageBar::showMessageText);
}

void MessageBar::showPassingMessage(const QString &text)
{
    passing = text;
    showMessage(text);
    passing.clear();
}

void MessageBar::showMessageText(const QString &text)
{
    if (!text.isEmpty() && text != passing) {
        entries << QTime::currentTime().toString(QStringLiteral("HH:mm:ss ")) + text;
        if (entries.size() > maxLogEntries)
            entries.removeFirst();
    }
    messageLabel->setVisible(!text.isEmpty());
    fitMessage();
}

bool MessageBar::event(QEvent *event)
{
    // The message's room ends where the widgets at the right begin, wherever they move.
    if (event->type() == QEvent::ChildAdded) {
        QObject *child = static_cast<QChildEvent *>(event)->child();
        if (child->isWidgetType() && child != messageLabel)
            child->installEventFilter(this);
    }
    const bool handled = QStatusBar::event(event);
    if (event->type() == QEvent::Resize)
        fitMessage();
    return handled;
}

bool MessageBar::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show
        || type == QEvent::Hide)
        fitMessage();
    return QStatusBar::eventFilter(watched, event);
}

void MessageBar::fitMessage()
{
    if (!messageLabel)
        return;
    int right = width();
    for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (child != messageLabel && child->isVisible())
            right = std::min(right, child->x());
    }
    messageLabel->setGeometry(0, 0, std::max(right, 0), height());
    // One line, as the toolkit draws it.
    const QString text = QString(currentMessage()).replace(QLatin1Char('\n'), QLatin1Char(' '));
    // A gap before the widgets at the right, as the toolkit leaves.
    const int room = messageLabel->contentsRect().width() - 2 * messageLabel->indent() - 6;
    const QString shown = messageLabel->fontMetrics().elidedText(text, Qt::ElideRight, room);
    messageLabel->setText(shown);
    messageLabel->setToolTip(shown == text ? QString() : text);
}
