#include "commerce/cart_buttons.h"

#include <string>

#include "store/session.h"
#include "ui/resources/main_window.h"

namespace qk {

void updateCartButtons(ui::DialogView& mainWindow, const Cart& cart, const Session& session,
                       std::string_view productId, std::string_view priceText, bool& inCart)
{
    const int found = cartLookup(cart, session, productId);
    inCart = found == 1 || found == 2;
    std::string caption = inCart ? "Remove ($" : "Add to Cart ($";
    caption += priceText;
    caption += ')';
    if (caption.size() > kCartButtonCaptionMax)
        caption.resize(kCartButtonCaptionMax);
    mainWindow.setText(ui::resources::kAddToCart, caption);

    const int count = cartCount(cart, session);
    mainWindow.setText(ui::resources::kCheckout, "Checkout (" + std::to_string(count) + ") Items");
    mainWindow.setEnabled(ui::resources::kCheckout, count != 0);
}

}  // namespace qk
