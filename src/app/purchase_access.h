#pragma once
// Coupons and checkout as the main window calls them: the commerce layer's flows with the
// agent's records filled in.

#include <string>

#include "ui/dialog_view.h"

namespace qk::app {

class Agent;

// Apply Coupon for the product shown in the detail panel.
void applyCoupon(Agent& agent, ui::DialogView& view);
// The purchase screen after the cart dialog; its result text (empty: nothing bought).
std::string runPurchase(Agent& agent, ui::DialogView& view);

}  // namespace qk::app
