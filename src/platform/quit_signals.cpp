#include "platform/quit_signals.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <csignal>

namespace qk::platform {
namespace {

constexpr std::array kQuitSignals{SIGTERM, SIGINT, SIGHUP};

// A signal handler may only write to a descriptor: the one process-wide pipe it wakes
// the UI thread through.
int wakeWrite = -1;

void onSignal(int)
{
    const char byte = 'q';
    (void)!::write(wakeWrite, &byte, 1);
}

}  // namespace

QuitSignals::QuitSignals(std::function<void()> onQuit) : onQuit_(std::move(onQuit))
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return;  // the system's default: the signal ends the program at once
    wakeWrite = ends[1];
    notifier_ = std::make_unique<QSocketNotifier>(ends[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this, readEnd = ends[0]] {
        char bytes[16];
        while (::read(readEnd, bytes, sizeof bytes) > 0) {
        }
        if (onQuit_)
            onQuit_();
    });
    struct sigaction action {};
    action.sa_handler = &onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kQuitSignals)
        sigaction(signal, &action, nullptr);
}

QuitSignals::~QuitSignals()
{
    if (!notifier_)
        return;
    for (const int signal : kQuitSignals)
        std::signal(signal, SIG_DFL);
    const int readEnd = static_cast<int>(notifier_->socket());
    notifier_.reset();
    ::close(readEnd);
    ::close(wakeWrite);
    wakeWrite = -1;
}

}  // namespace qk::platform
