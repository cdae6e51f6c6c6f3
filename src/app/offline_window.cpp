#include "app/offline_window.h"

#include <algorithm>
#include <ctime>

#include "app/agent.h"
#include "store/reply.h"
#include "store/store_probe.h"
#include "ui/resources/main_window.h"

namespace qk::app {

namespace ids = ui::resources;

namespace {

// How often a try under way is looked at.
constexpr int kProbeWatchMs = 100;

// Everything that would ask the store (or buy, or download) while it cannot answer.
// A control added beside these that asks the store belongs in this list.
constexpr int kOfflineDisabled[] = {
    ids::kLogin,       ids::kLogout,         ids::kEditAccount,    ids::kApplyCoupon,
    ids::kAddToCart,   ids::kCheckout,       ids::kBundlePricing,  ids::kDownloadFile,
    ids::kUpdateAll,   ids::kDownloadAll,    ids::kCancelDownload,
};

constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

void scheduleNextTry(Agent& agent, ui::DialogView& view)
{
    OfflineState& state = agent.offlineState;
    const int longest = std::max(agent.deployment.offlineRetryLongestMs, 1);
    state.nextDelayMs = state.nextDelayMs >= longest / 2 ? longest : state.nextDelayMs * 2;
    view.startTimer(kOfflineRetryTimer, state.nextDelayMs);
}

}  // namespace

StoreProbe::StoreProbe(const Deployment& deployment)
    : thread_([this, target = deployment] {
          answered_.store(storeAnswers(target, cancelled_));
          done_.store(true);
      })
{
}

StoreProbe::~StoreProbe()
{
    cancelled_.store(true);
    if (thread_.joinable())
        thread_.join();
}

std::string offlineStatusText(std::int64_t savedAt)
{
    const auto when = static_cast<std::time_t>(savedAt);
    std::tm local{};
    if (localtime_r(&when, &local) == nullptr)
        return "The store could not be reached. Your library is shown as last saved.";
    // English month names whatever the locale, as the agent's other texts are English.
    char text[128];
    std::snprintf(text, sizeof text, "The store could not be reached. Library as of %s %d, %d %02d:%02d.",
                  kMonths[local.tm_mon % 12], local.tm_mday, local.tm_year + 1900, local.tm_hour,
                  local.tm_min);
    return text;
}

bool takeLibraryCopy(Agent& agent, const LibraryCopy& copy)
{
    // Only what a refresh that went well heard is ever kept; anything else is not a copy.
    if (!startsWith(copy.purchasesReply, token::kSuccess) &&
        !startsWith(copy.purchasesReply, token::kNothingToList))
        return false;
    // The window's table points into the catalog about to be replaced.
    agent.appState.products.clear();
    agent.appState.selectedProduct = -1;
    std::string header;
    const int count = parseCatalogReply(copy.catalogReply, agent.catalog, header);
    if (count < 1 || parsePurchasesReply(copy.purchasesReply, agent.session, agent.purchases) < 0) {
        agent.catalog.catalogRecords.clear();
        agent.purchases.clear();
        agent.purchases.purchasesLoaded = false;
        return false;
    }
    agent.appState.productCount = count;
    agent.offlineState.copySavedAt = copy.savedAt;
    agent.libraryKeeper.offline = true;
    return true;
}

void showOfflineWindow(Agent& agent, ui::DialogView& view)
{
    OfflineState& state = agent.offlineState;
    view.setText(ids::kStatusText, offlineStatusText(state.copySavedAt));
    holdOfflineControls(agent, view);
    state.nextDelayMs = std::max(agent.deployment.offlineRetryFirstMs, 1);
    view.startTimer(kOfflineRetryTimer, state.nextDelayMs);
}

void holdOfflineControls(const Agent& agent, ui::DialogView& view)
{
    if (!agent.libraryKeeper.offline)
        return;
    for (const int id : kOfflineDisabled)
        view.setEnabled(id, false);
}

bool refusedOffline(const Agent& agent, int controlId)
{
    return agent.libraryKeeper.offline &&
           std::find(std::begin(kOfflineDisabled), std::end(kOfflineDisabled), controlId) !=
               std::end(kOfflineDisabled);
}

bool onOfflineRetryTimer(Agent& agent, ui::DialogView& view)
{
    OfflineState& state = agent.offlineState;
    if (!agent.libraryKeeper.offline) {
        view.stopTimer(kOfflineRetryTimer);
        return false;
    }
    if (!state.storeBack) {
        if (!state.probe) {
            state.probe = std::make_unique<StoreProbe>(agent.deployment);
            view.startTimer(kOfflineRetryTimer, kProbeWatchMs);
            return false;
        }
        if (!state.probe->done())
            return false;
        state.storeBack = state.probe->answered();
        state.probe.reset();
        if (!state.storeBack) {
            scheduleNextTry(agent, view);
            return false;
        }
        view.startTimer(kOfflineRetryTimer, kProbeWatchMs);
    }
    // The refresh may open the login dialog or a message: not over another window's.
    if (view.anotherWindowModal())
        return false;
    view.stopTimer(kOfflineRetryTimer);
    state.storeBack = false;
    return true;
}

void leaveOffline(Agent& agent, ui::DialogView& view)
{
    view.stopTimer(kOfflineRetryTimer);
    agent.offlineState.probe.reset();
    agent.offlineState.storeBack = false;
    agent.libraryKeeper.offline = false;
}

void stayOffline(Agent& agent, ui::DialogView& view)
{
    view.setText(ids::kStatusText, offlineStatusText(agent.offlineState.copySavedAt));
    holdOfflineControls(agent, view);
    scheduleNextTry(agent, view);
}

}  // namespace qk::app
