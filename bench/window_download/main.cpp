// One download through the real main window (offscreen): Download File, the worker and
// the progress timer, as a customer's click runs it. Prints one line of measurements:
//
//   transfer_ms=… start_ms=… shown_ms=… ticks=… tick_p50_ms=… tick_max_ms=… ui_busy_ms_max=… bytes=…
//
// transfer_ms: from the click to the worker's end (the file whole on disk); start_ms: the
// click's own work (folder, file id from the store, worker started);
// shown_ms: to the tick that shows "Download Completed"; tick_*: intervals between
// ticks of timer 1143; ui_busy_ms_max: the longest time one tick held the interface.
//
//   qk-window-bench DOWNLOAD_BASE    (the QKAGENT_* variables point at the store;
//                                     QK_BENCH_EMAIL / QK_BENCH_PASSWORD log in)

#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/agent.h"
#include "app/main_window.h"
#include "download/progress_text.h"
#include "ui/qt_dialog_factory.h"
#include "ui/resources/main_window.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace ids = qk::ui::resources;

double msBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

class NoShell final : public qk::platform::Shell {
public:
    bool open(const std::string&) override { return true; }
};
class NoClipboard final : public qk::platform::Clipboard {
public:
    bool setText(const std::string&) override { return true; }
};
class NoFolderBrowser final : public qk::platform::FolderBrowser {
public:
    std::optional<std::string> browse(const std::string&) override { return std::nullopt; }
};

// The main window with every tick of the progress timer timed.
class TimedWindow final : public qk::app::MainWindow {
public:
    using MainWindow::MainWindow;

    void onTimer(int timerId) override
    {
        const Clock::time_point start = Clock::now();
        MainWindow::onTimer(timerId);
        const Clock::time_point end = Clock::now();
        if (timerId != ids::kProgressTimer)
            return;
        if (!tickStarts.empty())
            intervalsMs.push_back(msBetween(tickStarts.back(), start));
        tickStarts.push_back(start);
        busyMaxMs = std::max(busyMaxMs, msBetween(start, end));
        if (!shown && view().text(ids::kProgressText) == "Download Completed") {
            shown = true;
            shownAt = end;
        }
    }

    std::vector<Clock::time_point> tickStarts;
    std::vector<double> intervalsMs;
    double busyMaxMs = 0;
    bool shown = false;
    Clock::time_point shownAt;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: qk-window-bench DOWNLOAD_BASE\n");
        return 2;
    }
    QApplication application(argc, argv);
    std::vector<std::string> messages;
    qk::ui::QtDialogFactory dialogs;
    NoShell shell;
    NoClipboard clipboard;
    NoFolderBrowser folders;
    const auto messageBox = [&messages](const qk::ui::MessageBoxParams*, qk::ui::DialogView*,
                                        const std::string& text, const char*, unsigned) {
        messages.push_back(text);
        return qk::ui::kIdOk;
    };

    qk::app::Agent agent(qk::Deployment::fromEnvironment(),
                         {dialogs, messageBox, shell, clipboard, folders});
    const char* email = std::getenv("QK_BENCH_EMAIL");
    const char* password = std::getenv("QK_BENCH_PASSWORD");
    agent.session.email = email ? email : "";
    agent.session.password = password ? password : "";
    TimedWindow window(agent);
    window.create();
    if (window.quitRequested() || !agent.currentProduct.owned || !messages.empty()) {
        std::fprintf(stderr, "the window did not come up on an owned product\n");
        return 1;
    }
    agent.appState.downloadBase = argv[1];

    const Clock::time_point clicked = Clock::now();
    window.onCommand(ids::kDownloadFile, qk::ui::Notify::Clicked, 0);
    const Clock::time_point started = Clock::now();
    if (!agent.downloadDisplay.active) {
        std::fprintf(stderr, "the download did not start: %s\n", messages.empty() ? "" : messages[0].c_str());
        return 1;
    }

    // The worker's end, seen from a poll of its flag every millisecond: the moment the
    // file is whole on disk, whatever the timer's phase.
    Clock::time_point transferEnd;
    bool ended = false;
    QTimer watch;
    watch.setTimerType(Qt::PreciseTimer);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!ended && agent.downloadJob.running.load() == 0) {
            ended = true;
            transferEnd = Clock::now();
        }
        if (!agent.downloadDisplay.active)
            application.quit();
    });
    watch.start(1);
    application.exec();

    if (!window.shown || !messages.empty()) {
        std::fprintf(stderr, "the download did not complete: %s\n", messages.empty() ? "" : messages[0].c_str());
        return 1;
    }
    std::vector<double> intervals = window.intervalsMs;
    std::sort(intervals.begin(), intervals.end());
    const double p50 = intervals.empty() ? 0 : intervals[intervals.size() / 2];
    const double max = intervals.empty() ? 0 : intervals.back();
    const auto path = std::filesystem::path(argv[1]) / "VarnelPurchase" / "tovrin" / agent.downloadDisplay.subject.fileName;
    std::printf("transfer_ms=%.1f start_ms=%.1f shown_ms=%.1f ticks=%zu tick_p50_ms=%.1f tick_max_ms=%.1f "
                "ui_busy_ms_max=%.2f bytes=%ju file=%s\n",
                msBetween(clicked, transferEnd), msBetween(clicked, started), msBetween(clicked, window.shownAt),
                window.tickStarts.size(), p50, max, window.busyMaxMs,
                static_cast<std::uintmax_t>(std::filesystem::file_size(path)), path.c_str());
    return 0;
}
