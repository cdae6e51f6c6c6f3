#pragma once
// The purchase transaction and the PayPal session request: their bodies and what their
// replies mean. The dialog around them lives in checkout_dialog.h.

#include <string>
#include <string_view>

#include "store/session.h"
#include "commerce/cart.h"
#include "platform/secret_text.h"
#include "ui/message_box.h"

namespace qk {

struct CardDetails;

// "action=purchase" + store parameters + "&version=2.11&qk=2" + login + product list +
// the payment (PayPal token, or the card with only the name form-encoded) + gift, tax
// rate and total. Built in one buffer sized in advance, so the card data exists in
// exactly one place the caller wipes.
std::string purchaseBody(const Session& session, const Cart& cart, const CardDetails* card,
                         std::string_view paypalSession);

// "mode=setexp" + store parameters + "&version=2.11&qk=2" + login + product list +
// "&curtype=USD&total=" + the grand total.
std::string paypalSessionBody(const Session& session, const Cart& cart);

// How the checkout dialog answers a purchase reply.
struct PurchaseOutcome {
    enum class Kind { Approved, ErrorAnswer, Unspecified, Unconfirmed };
    Kind kind = Kind::Unspecified;
    std::string statusText;  // the dialog's status line
    std::string message;
    const char* caption = "Purchase Error";
    unsigned icon = ui::mb::kIconStop;
};
PurchaseOutcome classifyPurchaseReply(std::string_view reply);

// A purchase request went out and no reply came back: the store may have charged.
// The status line while the purchases are read again, and the two endings.
PurchaseOutcome unconfirmedPurchaseChecking();
PurchaseOutcome unconfirmedPurchaseFound();
PurchaseOutcome unconfirmedPurchaseNotFound(bool paypal);

// The line written to standard error for a purchase outcome that arrives after the
// agent was asked to end: no window shows it any more.
std::string outcomeAfterQuit(std::string_view reply);

// The session token of a reply beginning "ok|": the 16 characters after it, which must
// all be ASCII letters and digits (what follows them is ignored). False for any other
// reply, a shorter token included.
bool paypalToken(std::string_view reply, std::string& token);

}  // namespace qk
