#pragma once
// How the thread that asks for a store exchange spends the time the exchange takes.
// The agent's window keeps painting meanwhile (platform/qt_exchange_wait.h); with no
// wait given, the exchange simply runs on the calling thread, which is what a command
// line tool or a unit test wants.

#include <functional>

namespace qk::platform {

class ExchangeWait {
public:
    virtual ~ExchangeWait() = default;
    // Runs `exchange` to its end and returns only then, so the caller's flow stays
    // sequential. `exchange` may run on another thread: it must touch nothing but what
    // the caller handed it, which the caller leaves alone until run() returns.
    virtual void run(const std::function<void()>& exchange) = 0;
    // true while an exchange runs under this wait.
    [[nodiscard]] virtual bool waiting() const = 0;
};

// Runs `exchange` under `wait`, or on the calling thread when there is none.
inline void runExchange(ExchangeWait* wait, const std::function<void()>& exchange)
{
    if (wait)
        wait->run(exchange);
    else
        exchange();
}

}  // namespace qk::platform
