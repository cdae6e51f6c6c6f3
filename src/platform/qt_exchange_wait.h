#pragma once
// The agent's way of waiting for a store exchange: the exchange runs on a worker
// thread while the UI thread turns its event loop, so the windows repaint, the
// accessibility bus is answered and timers run. User input stays queued in the
// platform until the exchange has ended, so no click starts a second flow inside the
// first. After a short while a wait cursor shows.

#include <QObject>

#include <functional>
#include <mutex>
#include <vector>

#include "platform/exchange_wait.h"

namespace qk::platform {

class QtExchangeWait final : public ExchangeWait {
public:
    static constexpr int kBusyCursorDelayMs = 150;

    QtExchangeWait() = default;
    ~QtExchangeWait() override = default;
    QtExchangeWait(const QtExchangeWait&) = delete;
    QtExchangeWait& operator=(const QtExchangeWait&) = delete;

    // Call on the UI thread only.
    void run(const std::function<void()>& exchange) override;
    [[nodiscard]] bool waiting() const override { return depth_ > 0; }

    // Runs `task` on the UI thread at the first turn of an event loop that is not
    // waiting for an exchange: a close request or a paint handler that arrived during
    // an exchange acts once the exchange is over.
    void whenIdle(std::function<void()> task);

private:
    void scheduleIdleTasks();
    void runIdleTasks();

    int depth_ = 0;
    bool idleRunScheduled_ = false;
    std::vector<std::function<void()>> idleTasks_;
    // Held by the worker for the whole exchange: should an exchange ever be asked for
    // inside another's wait, its network part starts only once the first has ended.
    std::mutex network_;
    QObject wakeTarget_;  // lives on the UI thread; the worker posts to it when done
};

}  // namespace qk::platform
