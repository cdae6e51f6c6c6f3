#pragma once
// The cart: 20 fixed slots of fixed-width texts, kept for the whole run.

#include <array>
#include <string>

#include "platform/fixed_text.h"

namespace qk {

struct CartItem {
    FixedText<17> productId;   // empty: the slot is free
    FixedText<101> title;
    FixedText<7> price;        // two decimals
    FixedText<17> couponCode;
    FixedText<6> tax;          // two decimals
    FixedText<3> cartTag;
    FixedText<7> vendorId;
    FixedText<51> vendorName;
    FixedText<17> linkedId;    // bundle product of a member, or the offered companion

    [[nodiscard]] bool isFree() const { return productId.empty(); }
    void clear() { *this = CartItem{}; }
};

inline constexpr int kCartSlots = 20;

struct Cart {
    std::array<CartItem, kCartSlots> slots;
    bool cartReady = false;
    bool giftMode = false;
    double cartTotal = 0.0;
    std::string taxTotalText;
    std::string productListParam;
    std::string cartTotalText;
};

}  // namespace qk
