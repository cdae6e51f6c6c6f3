#include "platform/qt_exchange_wait.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QTimer>

#include <atomic>
#include <exception>
#include <thread>

namespace qk::platform {

namespace {

// Leaves the wait as it was before run(): the depth, the cursor and the idle tasks,
// whether the exchange ends, throws, or its worker never starts.
class WaitScope {
public:
    WaitScope(int& depth, std::function<void()> onLeave) : depth_(depth), onLeave_(std::move(onLeave)) { ++depth_; }
    ~WaitScope()
    {
        if (cursorShown_)
            QGuiApplication::restoreOverrideCursor();
        --depth_;
        onLeave_();
    }
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;

    void showCursor()
    {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        cursorShown_ = true;
    }

private:
    int& depth_;
    std::function<void()> onLeave_;
    bool cursorShown_ = false;
};

}  // namespace

void QtExchangeWait::run(const std::function<void()>& exchange)
{
    WaitScope scope(depth_, [this] {
        if (depth_ == 0 && !idleTasks_.empty())
            scheduleIdleTasks();
    });
    // What the flow set just before asking (a status, a label) is on screen before the
    // exchange starts.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);

    std::atomic<bool> done{false};
    std::exception_ptr failure;
    // A worker that cannot start throws here, with the scope undoing the depth.
    std::thread worker([this, &exchange, &done, &failure] {
        try {
            const std::lock_guard serial(network_);
            exchange();
        } catch (...) {
            failure = std::current_exception();  // raised again on the caller's thread
        }
        done.store(true, std::memory_order_release);
        // Wakes the UI thread out of its wait for events.
        QMetaObject::invokeMethod(&wakeTarget_, [] {}, Qt::QueuedConnection);
    });

    QTimer cursorDelay;
    cursorDelay.setSingleShot(true);
    QObject::connect(&cursorDelay, &QTimer::timeout, &wakeTarget_, [&scope] { scope.showCursor(); });
    cursorDelay.start(kBusyCursorDelayMs);

    // processEvents rather than a QEventLoop: a quit asked for meanwhile ends the
    // loops below this one once control gets back there, but must not end this wait
    // while the worker still writes into the caller's request.
    try {
        while (!done.load(std::memory_order_acquire))
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
    } catch (...) {
        // Whatever threw meanwhile, the worker still uses this frame: it ends first.
        cursorDelay.stop();
        worker.join();
        throw;
    }
    worker.join();
    cursorDelay.stop();
    if (failure)
        std::rethrow_exception(failure);
}

void QtExchangeWait::whenIdle(std::function<void()> task)
{
    idleTasks_.push_back(std::move(task));
    if (depth_ == 0)
        scheduleIdleTasks();
}

void QtExchangeWait::scheduleIdleTasks()
{
    if (idleRunScheduled_)
        return;
    idleRunScheduled_ = true;
    QMetaObject::invokeMethod(&wakeTarget_, [this] { runIdleTasks(); }, Qt::QueuedConnection);
}

void QtExchangeWait::runIdleTasks()
{
    idleRunScheduled_ = false;
    // Inside the next exchange's wait: the end of that one schedules them again.
    if (depth_ > 0)
        return;
    std::vector<std::function<void()>> tasks;
    tasks.swap(idleTasks_);
    for (auto& task : tasks)
        task();
}

}  // namespace qk::platform
