#pragma once
// The cart operations as the main window and the detail panel call them: the commerce
// layer's operations with the agent's records filled in.

#include <string>
#include <string_view>

#include "ui/dialog_view.h"

namespace qk::app {

class Agent;

struct CartEntry {
    std::string productId;
    std::string title;
    std::string price;
    std::string couponCode;
    std::string cartTag;
    std::string linkedId;
};

int cartCount(const Agent& agent);
int cartLookup(const Agent& agent, std::string_view productId);
int addToCart(Agent& agent, const CartEntry& entry);
int removeFromCart(Agent& agent, std::string_view productId);
void clearCart(Agent& agent);
void updateCartButtons(Agent& agent, ui::DialogView& view);
int openCartDialog(Agent& agent, ui::DialogView& view);

}  // namespace qk::app
