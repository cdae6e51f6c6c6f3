#pragma once
// The two main-window captions that reflect the cart.

#include <string_view>

#include "commerce/cart.h"
#include "ui/dialog_view.h"

namespace qk {

inline constexpr std::size_t kCartButtonCaptionMax = 29;

// Sets "Add to Cart ($…)" or "Remove ($…)" on the shown product's button (and `inCart`
// with it) and "Checkout (n) Items", enabled exactly when the cart is not empty.
void updateCartButtons(ui::DialogView& mainWindow, const Cart& cart, const Session& session,
                       std::string_view productId, std::string_view priceText, bool& inCart);

}  // namespace qk
