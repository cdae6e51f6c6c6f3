#include "commerce/checkout.h"

#include "commerce/checkout_dialog.h"
#include "ui/resources/checkout_dialog.h"

namespace qk {

namespace {
constexpr const char* kNoUsableLogin =
    "The purchase screen could not be opened as the login or password data is invalid.";
}  // namespace

void buildProductList(Cart& cart, CheckoutState& checkout)
{
    checkout.checkoutSummaryText.clear();
    checkout.purchaseReplyText.clear();
    checkout.keepCheckoutOpen = keep_open::kMayClose;
    buildProductList(cart);
}

std::string checkoutSummary(int cartCount)
{
    return "Subtotal (" + std::to_string(cartCount) + (cartCount < 2 ? " item in cart):" : " items in cart):");
}

int openPurchaseScreen(CheckoutEnvironment& environment, std::string& resultText)
{
    CheckoutState& state = environment.state;
    resultText.clear();
    state.purchaseReplyLength = 0;
    state.purchasesReread = false;
    if (!environment.session.storeReady)
        return 0;
    if (!environment.cart.cartReady)
        return -1;
    if (!environment.session.hasUsableLogin()) {
        if (environment.runLoginDialog)
            environment.runLoginDialog();
        if (!environment.session.hasUsableLogin()) {
            if (environment.messageBox)
                environment.messageBox(nullptr, environment.owner, kNoUsableLogin, "Error", ui::mb::kOk);
            return 0;
        }
    }
    buildProductList(environment.cart, state);

    {
        CheckoutDialog presenter(environment);
        auto view = environment.dialogs.create(ui::resources::checkoutDialogResource(), presenter,
                                               environment.owner);
        if (view) {
            presenter.attach(*view);
            view->runModal();
        }
    }
    // Whatever way the dialog ended, no card data outlives it.
    state.card.wipe();

    const int result = state.purchaseReplyLength;
    if (result == -1)
        return -1;
    if (state.keepCheckoutOpen != keep_open::kMayClose)
        return 0;
    resultText = state.purchaseReplyText.substr(0, std::min<std::size_t>(static_cast<std::size_t>(result),
                                                                         kPurchaseResultMax));
    return result;
}

}  // namespace qk
