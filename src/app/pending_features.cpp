#include "app/pending_features.h"

namespace qk::app {

void applyCoupon(Agent& /*agent*/, ui::DialogView& /*view*/) {}

void openAccountManagement(Agent& /*agent*/, ui::DialogView& /*view*/) {}

std::string runPurchase(Agent& /*agent*/, ui::DialogView& /*view*/) { return {}; }

void checkNotification(Agent& /*agent*/, ui::DialogView& /*view*/) {}

void showLongDescription(Agent& /*agent*/, ui::DialogView& /*view*/) {}

}  // namespace qk::app
