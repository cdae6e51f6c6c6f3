#pragma once
// The system asking the program to end (SIGTERM from a session's end or a service
// manager, SIGHUP from a closed terminal, SIGINT from Ctrl+C) becomes the same quit as
// the Exit button, delivered on the UI thread: a running download is stopped and
// flushed and the program ends once any store exchange under way is over, rather than
// dying in the middle of a write.

#include <functional>
#include <memory>

class QSocketNotifier;

namespace qk::platform {

class QuitSignals {
public:
    // Installs the handlers; one instance per process, for the program's lifetime.
    explicit QuitSignals(std::function<void()> onQuit);
    ~QuitSignals();
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

private:
    std::function<void()> onQuit_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace qk::platform
