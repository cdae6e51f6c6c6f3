#include "app/pending_features.h"

namespace qk::app {

void beginFileDownload(Agent& /*agent*/, ui::DialogView& /*view*/) {}

void onProgressTimer(Agent& /*agent*/, ui::DialogView& view)
{
    // No download can be running yet, so a stray tick just stops the timer.
    view.stopTimer(1143);
}

void showFileStatus(Agent& /*agent*/, ui::DialogView& /*view*/) {}

void applyCoupon(Agent& /*agent*/, ui::DialogView& /*view*/) {}

void openAccountManagement(Agent& /*agent*/, ui::DialogView& /*view*/) {}

std::string runPurchase(Agent& /*agent*/, ui::DialogView& /*view*/) { return {}; }

void checkNotification(Agent& /*agent*/, ui::DialogView& /*view*/) {}

void showLongDescription(Agent& /*agent*/, ui::DialogView& /*view*/) {}

}  // namespace qk::app
