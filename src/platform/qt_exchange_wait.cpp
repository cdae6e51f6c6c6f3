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

void QtExchangeWait::run(const std::function<void()>& exchange)
{
    ++depth_;
    // What the flow set just before asking (a status, a label) is on screen before the
    // exchange starts.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);

    std::atomic<bool> done{false};
    std::exception_ptr failure;
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

    bool cursorShown = false;
    QTimer cursorDelay;
    cursorDelay.setSingleShot(true);
    QObject::connect(&cursorDelay, &QTimer::timeout, &wakeTarget_, [&cursorShown] {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        cursorShown = true;
    });
    cursorDelay.start(kBusyCursorDelayMs);

    // processEvents rather than a QEventLoop: a quit asked for meanwhile ends the
    // loops below this one once control gets back there, but must not end this wait
    // while the worker still writes into the caller's request.
    while (!done.load(std::memory_order_acquire))
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
    worker.join();

    cursorDelay.stop();
    if (cursorShown)
        QGuiApplication::restoreOverrideCursor();
    --depth_;
    if (depth_ == 0 && !idleTasks_.empty())
        scheduleIdleTasks();
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
