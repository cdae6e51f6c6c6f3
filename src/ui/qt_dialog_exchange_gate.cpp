// What a dialog lets through while a store exchange waits: commands, the close box, the
// first paint and timer ticks.
#include "ui/qt_dialog.h"

#include "ui/dialog_widgets.h"
#include "platform/qt_exchange_wait.h"

#include <QAbstractButton>
#include <QTimer>

#include <algorithm>

namespace qk::ui {

// While a store exchange waits, the flow that asked for it is suspended in the middle
// of a handler: no other handler of the agent may run, or it would start a second
// exchange inside the first or change what the suspended flow relies on. The wait
// keeps the platform's user input queued; whatever still arrives here (a posted click)
// is refused, a timer tick is skipped (the progress timer ticks again), and a close
// request or the first paint act once the exchange is over. The one exception is the
// close box of a window that ends the program: that quit is taken note of at once, so
// no further exchange starts after the one under way.
bool QtDialog::exchangeWaiting() const
{
    return exchangeWait_ && exchangeWait_->waiting();
}

void QtDialog::command(int id, Notify code, int index)
{
    if (exchangeWaiting())
        return;
    handler_.onCommand(id, code, index);
}

void QtDialog::closeRequested()
{
    if (exchangeWaiting() && handler_.closeEndsProgram()) {
        handler_.onCommand(kCancelCommand, Notify::Clicked, 0);
        return;
    }
    if (exchangeWaiting()) {
        // Asked again once the exchange is over, unless the flow has closed the
        // window itself by then.
        exchangeWait_->whenIdle([window = window_] {
            if (window && window->isVisible())
                window->close();
        });
        return;
    }
    command(kCancelCommand, Notify::Clicked, 0);
}

void QtDialog::firstPaint()
{
    if (exchangeWaiting()) {
        // The dialog deletes its window: a live window means a live dialog.
        exchangeWait_->whenIdle([this, window = window_] {
            if (window)
                firstPaint();
        });
        return;
    }
    handler_.onFirstPaint();
}

void QtDialog::clickDefaultButton()
{
    if (defaultButton_ < 0) {
        // Without a default button the platform sends the OK command.
        command(1, Notify::Clicked, 0);
        return;
    }
    auto* button = widgetAs<QAbstractButton>(defaultButton_);
    if (button && button->isEnabled() && !button->isHidden())
        button->click();
}

// ---- Timers ----

void QtDialog::startTimer(int timerId, int milliseconds)
{
    auto& timer = timers_[timerId];
    if (!timer) {
        timer = std::make_unique<QTimer>();
        QObject::connect(timer.get(), &QTimer::timeout, window_, [this, timerId] {
            if (!exchangeWaiting())
                handler_.onTimer(timerId);
        });
    }
    timer->start(std::max(milliseconds, 1));
}

void QtDialog::stopTimer(int timerId)
{
    // Kept, not destroyed: the handler may stop a timer from inside its own tick.
    if (auto it = timers_.find(timerId); it != timers_.end())
        it->second->stop();
}

}  // namespace qk::ui
