#include "app/cart_access.h"

#include "app/agent.h"
#include "app/account_access.h"
#include "commerce/cart.h"
#include "commerce/cart_buttons.h"
#include "commerce/cart_dialog.h"

namespace qk::app {

int cartCount(const Agent& agent)
{
    return qk::cartCount(agent.cart, agent.session);
}

int cartLookup(const Agent& agent, std::string_view productId)
{
    return qk::cartLookup(agent.cart, agent.session, productId);
}

int addToCart(Agent& agent, const CartEntry& entry)
{
    const CartContext context{agent.cart, agent.session, agent.catalog, agent.purchases};
    return qk::addToCart(context, entry.productId, entry.title, entry.price, entry.couponCode,
                         entry.cartTag, entry.linkedId);
}

int removeFromCart(Agent& agent, std::string_view productId)
{
    return qk::removeFromCart(agent.cart, agent.session, productId);
}

void clearCart(Agent& agent)
{
    qk::clearCart(agent.cart);
}

void updateCartButtons(Agent& agent, ui::DialogView& view)
{
    CurrentProduct& product = agent.currentProduct;
    qk::updateCartButtons(view, agent.cart, agent.session, product.productId, product.priceText,
                          product.inCart);
}

int openCartDialog(Agent& agent, ui::DialogView& view)
{
    // View Account runs the same account dialog as Edit Account, over the main window.
    const CartDialogEnvironment environment{
        agent.services.dialogs, &view, agent.services.messageBox,
        agent.appState.mainWindowReady,
        [&agent](ui::DialogView* owner) { openAccountDialog(agent, owner); }};
    return qk::openCartDialog(agent.cart, agent.session, environment);
}

}  // namespace qk::app
