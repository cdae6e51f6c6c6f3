#pragma once
// Checkout: the purchase screen, the checkout dialog "Varnel Secure Purchasing" and the
// purchase transaction, by card or with a PayPal session.

#include <functional>
#include <string>

#include "store/session.h"
#include "commerce/cart.h"
#include "platform/secret_text.h"
#include "platform/deployment.h"
#include "platform/ports.h"
#include "ui/dialog_view.h"
#include "ui/message_box.h"

namespace qk {

inline constexpr std::size_t kPurchaseResultMax = 199;

// keepCheckoutOpen values.
namespace keep_open {
inline constexpr int kMayClose = 0;
inline constexpr int kFailed = 1;
inline constexpr int kCancelled = 2;
}  // namespace keep_open

// The card of one purchase attempt; wiped as soon as the attempt is over.
struct CardDetails {
    SecretText number;
    SecretText expiry;  // month then two-digit year
    SecretText code;
    SecretText nameOnCard;

    void wipe()
    {
        number.wipe();
        expiry.wipe();
        code.wipe();
        nameOnCard.wipe();
    }
};

struct CheckoutState {
    std::string purchaseReplyText;
    int purchaseReplyLength = 0;
    int keepCheckoutOpen = keep_open::kMayClose;
    std::string checkoutSummaryText;
    CardDetails card;
    std::string paypalSession;  // 16 characters while a session is held
    // The customer's purchases were read again after a purchase without an outcome: the
    // window's list shows them whatever the dialog's end.
    bool purchasesReread = false;
};

// What checkout reads and changes besides its own state.
struct CheckoutEnvironment {
    const Deployment& deployment;
    Session& session;
    Cart& cart;
    CheckoutState& state;
    ui::DialogFactory& dialogs;
    ui::DialogView* owner = nullptr;  // the main window
    ui::MessageBoxFunction messageBox;
    platform::Shell& shell;
    // The login dialog, run modally over the owner.
    std::function<void()> runLoginDialog;
    // The store logo drawn at the top of the dialog (PNG bytes); may be empty. Drawn for
    // the screen's pixel ratio, so it stays sharp on a high-density screen.
    std::string logoImage;
    double logoPixelRatio = 1.0;
    // Reads the customer's purchases again; true when they show every product of the
    // cart as owned. Asked after a purchase request went out and no answer came back.
    std::function<bool()> cartOwnedAfterReread = nullptr;
};

// The cart's serialisation for the purchase, which also forgets the last attempt.
void buildProductList(Cart& cart, CheckoutState& checkout);

// "Subtotal (1 item in cart):", "Subtotal (2 items in cart):".
std::string checkoutSummary(int cartCount);

// The purchase screen: login when needed, the product list, the checkout dialog.
// Returns the last attempt's result (0 nothing bought, -1 an error answer, else the
// reply's length) and puts the reply (at most 199 characters) into `resultText` when
// the dialog closed after an approval.
int openPurchaseScreen(CheckoutEnvironment& environment, std::string& resultText);

}  // namespace qk
