#pragma once
// The main window while the store cannot be reached: the library from the kept copy,
// everything that would ask the store disabled, and the store tried again in the
// background (after the deployment's first delay, each delay doubled up to the longest)
// until it answers.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "platform/deployment.h"
#include "store/library_copy.h"
#include "ui/dialog_view.h"

namespace qk::app {

class Agent;

// Timer of the retries (and of watching a try under way).
inline constexpr int kOfflineRetryTimer = 1190;

// One try of the store on a thread of its own, so the window never waits for it.
class StoreProbe {
public:
    explicit StoreProbe(const Deployment& deployment);
    ~StoreProbe();  // ends the try early and waits for its thread
    StoreProbe(const StoreProbe&) = delete;
    StoreProbe& operator=(const StoreProbe&) = delete;

    [[nodiscard]] bool done() const { return done_.load(); }
    [[nodiscard]] bool answered() const { return answered_.load(); }

private:
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> done_{false};
    std::atomic<bool> answered_{false};
    std::thread thread_;
};

struct OfflineState {
    std::int64_t copySavedAt = 0;
    int nextDelayMs = 0;
    std::unique_ptr<StoreProbe> probe;
    bool storeBack = false;          // a try was answered; the refresh waits for its turn
    bool notificationDeferred = false;  // the first paint came while offline
};

// The status line offline: the store out of reach, the library as of the copy's time
// (shown in local time).
std::string offlineStatusText(std::int64_t savedAt);

// Takes the copy into the agent's catalog and purchases as the store's replies would
// be. false (the copy is then of no use) when they do not give a library to show.
bool takeLibraryCopy(Agent& agent, const LibraryCopy& copy);

// After the list was filled from the copy: the status line, the disabled controls and
// the first retry.
void showOfflineWindow(Agent& agent, ui::DialogView& view);

// The one place that holds the controls that would ask the store disabled while the
// window is offline; does nothing online. Run after anything that enables controls.
void holdOfflineControls(const Agent& agent, ui::DialogView& view);
// true when `controlId` is a command refused offline.
bool refusedOffline(const Agent& agent, int controlId);

// Timer kOfflineRetryTimer. true when the store answered and the window may refresh
// now (no other window is modal over it).
bool onOfflineRetryTimer(Agent& agent, ui::DialogView& view);

// The store came back and the refresh filled the window: retries end.
void leaveOffline(Agent& agent, ui::DialogView& view);

// A refresh while offline found the store gone again: the window stays the copy's and
// the next try comes after a longer delay.
void stayOffline(Agent& agent, ui::DialogView& view);

}  // namespace qk::app
