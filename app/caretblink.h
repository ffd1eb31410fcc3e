#pragma once

#include <QObject>
#include <QTimer>

// Lets the text caret stop blinking after a while without keyboard or mouse input, as desktops
// do, and blink again at the next input. A blinking caret wakes the program twice a second for as
// long as a field has the focus, also with nobody at the computer; a caret that stands still stays
// in view and costs nothing. It goes through the toolkit's flash time, which every text field
// follows as it changes.
class CaretBlinkTimeout : public QObject
{
    Q_OBJECT
public:
    // The time without input after which the caret stands still (the desktops' usual 10 s).
    static constexpr int defaultTimeoutMs = 10000;

    // Watches the input of the whole application from now on; the caret blinks to begin with.
    explicit CaretBlinkTimeout(int timeoutMs = defaultTimeoutMs, QObject *parent = nullptr);
    ~CaretBlinkTimeout() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void stopBlinking();
    void resumeBlinking();

    QTimer timeout;
    // The flash time to resume with while the caret stands still; negative while it blinks.
    int stoppedFlashTime = -1;
};
