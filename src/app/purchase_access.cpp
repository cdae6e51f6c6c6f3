#include "app/purchase_access.h"

#include "account/login_dialog.h"
#include "app/agent.h"
#include "commerce/checkout.h"
#include "commerce/coupon.h"
#include "commerce/coupon_dialog.h"
#include "store/purchases.h"
#include "ui/store_logo.h"

namespace qk::app {

namespace {

void runLogin(Agent& agent, ui::DialogView& owner)
{
    LoginContext context{agent.deployment,     agent.session,          agent.purchases,
                         agent.settings,       agent.services.dialogs, agent.services.messageBox,
                         agent.services.shell, &owner,                 {}};
    runLoginDialog(context);
}

}  // namespace

void applyCoupon(Agent& agent, ui::DialogView& view)
{
    CurrentProduct& shown = agent.currentProduct;
    CouponProduct product{shown.productId, shown.productName, shown.cartTag,
                          shown.bundleOffer.productId, shown.priceText, shown.couponCode};
    CouponEnvironment environment{
        agent.deployment,
        agent.session,
        {agent.cart, agent.session, agent.catalog, agent.purchases},
        view,
        agent.services.messageBox,
        [&agent, &view](const std::string& caption, const std::string& prompt) {
            return promptText(agent.services.dialogs, &view, caption, prompt, agent.services.messageBox);
        }};
    const AppliedCoupon applied = qk::applyCoupon(environment, product);

    // The product keeps its coupon price while the window's table lives.
    AppState& state = agent.appState;
    if (applied.applied && state.selectedProduct >= 0 &&
        static_cast<std::size_t>(state.selectedProduct) < state.products.size()) {
        ListedProduct& listed = state.products[static_cast<std::size_t>(state.selectedProduct)];
        listed.applyCoupon(applied.price, applied.code);
    }
    // The price the customer was told is the price the cart takes, sale or no sale.
    if (applied.applied)
        shown.couponPriced = true;
}

std::string runPurchase(Agent& agent, ui::DialogView& view)
{
    CheckoutEnvironment environment{agent.deployment,
                                    agent.session,
                                    agent.cart,
                                    agent.checkout,
                                    agent.services.dialogs,
                                    &view,
                                    agent.services.messageBox,
                                    agent.services.shell,
                                    [&agent, &view] { runLogin(agent, view); },
                                    ui::checkoutLogoPng(ui::screenPixelRatio()),
                                    ui::screenPixelRatio(),
                                    [&agent] {
                                        fetchPurchases(agent.deployment, agent.session,
                                                       agent.purchases, agent.settings);
                                        return everyCartProductOwned(agent.cart, agent.purchases);
                                    }};
    std::string result;
    openPurchaseScreen(environment, result);
    return result;
}

}  // namespace qk::app
