#pragma once
// Store exchanges held open until the test lets them end, so what a test does "during an
// exchange" happens during it on any machine, however loaded: a probe runs on the UI
// thread inside the wait, and the exchange ends only once released.

#include <QTimer>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/exchange_wait.h"
#include "platform/qt_exchange_wait.h"

namespace qk::test {

// Long past anything a test waits for; it only keeps a broken test from hanging.
inline constexpr std::chrono::seconds kGiveUp{60};

// Polls `condition` from a thread that is not the UI thread until it holds or kGiveUp
// has passed; true when it held.
template <class Condition>
bool waitOn(Condition condition)
{
    const auto until = std::chrono::steady_clock::now() + kGiveUp;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// A one-way gate between threads.
class Gate {
public:
    void open()
    {
        const std::lock_guard lock(mutex_);
        open_ = true;
        opened_.notify_all();
    }
    void close()
    {
        const std::lock_guard lock(mutex_);
        open_ = false;
    }
    // false when it stayed shut for kGiveUp; it is open from then on, so a broken test
    // fails once rather than hanging at each later pass.
    bool passWhenOpen()
    {
        std::unique_lock lock(mutex_);
        if (opened_.wait_for(lock, kGiveUp, [this] { return open_; }))
            return true;
        open_ = true;
        return false;
    }

private:
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = true;
};

// The agent's own wait (it holds back input while `waiting()`), each exchange kept open
// after its network part until the gate is open.
class HeldExchanges final : public platform::ExchangeWait {
public:
    explicit HeldExchanges(platform::QtExchangeWait& wait) : wait_(wait) {}

    void run(const std::function<void()>& exchange) override
    {
        ++begun_;
        if (duringNext_)
            QTimer::singleShot(0, std::exchange(duringNext_, {}));
        wait_.run([this, &exchange] {
            exchange();
            gate_.passWhenOpen();
        });
        ++ended_;
    }
    [[nodiscard]] bool waiting() const override { return wait_.waiting(); }

    // Later exchanges end only once release() was called.
    void hold() { gate_.close(); }
    void release() { gate_.open(); }
    // Runs `probe` on the UI thread inside the next exchange's wait.
    void duringNext(std::function<void()> probe) { duringNext_ = std::move(probe); }

    [[nodiscard]] int begun() const { return begun_; }
    [[nodiscard]] int ended() const { return ended_; }

private:
    platform::QtExchangeWait& wait_;
    Gate gate_;
    std::function<void()> duringNext_;
    int begun_ = 0;
    int ended_ = 0;
};

}  // namespace qk::test
