#pragma once
// The agent has been asked to end (Exit, the main window's close box, a signal, the
// session's end). From that moment a question or dialog that ends is no answer, nothing
// more is written to the settings and no store request starts: the program only finishes
// the exchange in flight, if any, and ends. Owned by the program; flows reach it through
// the deployment and the settings store.

#include <atomic>

namespace qk::platform {

class QuitRequest {
public:
    void ask() { asked_.store(true, std::memory_order_relaxed); }
    [[nodiscard]] bool asked() const { return asked_.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> asked_{false};
};

}  // namespace qk::platform
