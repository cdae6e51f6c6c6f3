#include "commerce/purchase_request.h"

#include <algorithm>
#include <initializer_list>

#include "commerce/checkout.h"
#include "store/reply.h"

namespace qk {

namespace {

constexpr std::size_t kPaypalTokenLength = 16;

std::string joined(std::initializer_list<std::string_view> parts)
{
    std::size_t size = 0;
    for (const std::string_view part : parts)
        size += part.size();
    std::string text;
    text.reserve(size);
    for (const std::string_view part : parts)
        text.append(part);
    return text;
}

}  // namespace

std::string purchaseBody(const Session& session, const Cart& cart, const CardDetails* card,
                         std::string_view paypalSession)
{
    const std::string_view gift = cart.giftMode ? "&gift=yes" : "&gift=no";
    if (card == nullptr) {
        return joined({"action=purchase", session.storeParams, kProtocolVersionPairs, "&email=",
                       session.email, "&password=", session.password, cart.productListParam,
                       "&paypal=yes&cardnum=", paypalSession, gift, "&taxrate=", session.taxRate,
                       "&total=", cart.cartTotalText});
    }
    std::string name = formEncode(card->nameOnCard.str());
    std::string body = joined({"action=purchase", session.storeParams, kProtocolVersionPairs,
                               "&email=", session.email, "&password=", session.password,
                               cart.productListParam, "&cname=", name, "&cardnum=",
                               card->number.str(), "&expdate=", card->expiry.str(), "&ccv=",
                               card->code.str(), gift, "&taxrate=", session.taxRate, "&total=",
                               cart.cartTotalText});
    wipeText(name);
    return body;
}

std::string paypalSessionBody(const Session& session, const Cart& cart)
{
    return joined({"mode=setexp", session.storeParams, kProtocolVersionPairs, "&email=",
                   session.email, "&password=", session.password, cart.productListParam,
                   "&curtype=USD&total=", cart.cartTotalText});
}

PurchaseOutcome classifyPurchaseReply(std::string_view reply)
{
    PurchaseOutcome outcome;
    outcome.kind = PurchaseOutcome::Kind::ErrorAnswer;
    if (startsWith(reply, "approved|")) {
        // The order number stands as the store sent it.
        outcome.kind = PurchaseOutcome::Kind::Approved;
        outcome.statusText = "Your purchase has been approved! Your order number is " +
                             std::string(reply.substr(9));
        outcome.message = outcome.statusText +
                          ".\n\nA receipt has been emailed to you. This order has also been saved in "
                          "your Varnel account.\n\nWe thank you for your purchase!";
        outcome.caption = "Information";
        outcome.icon = ui::mb::kIconInformation;
    } else if (startsWith(reply, "Error:")) {
        outcome.statusText = shownStoreMessage(reply);
        outcome.message = outcome.statusText;
    } else if (startsWith(reply, "Declined")) {
        outcome.statusText = reply;
        outcome.message = "Your transaction has been declined.";
    } else if (startsWith(reply, "no_serial")) {
        outcome.statusText = reply;
        outcome.message =
            "Unfortunately the system is out of serial numbers or voucher codes for this "
            "transaction. Please try again soon or notify customer service.";
        outcome.caption = "No Serial Numbers Available";
    } else {
        outcome.kind = PurchaseOutcome::Kind::Unspecified;
        outcome.statusText =
            "There was an unspecified error with this transaction. Please try again or contact "
            "support";
        outcome.message = outcome.statusText;
    }
    return outcome;
}

PurchaseOutcome unconfirmedPurchaseChecking()
{
    PurchaseOutcome outcome;
    outcome.kind = PurchaseOutcome::Kind::Unconfirmed;
    outcome.statusText = "Status: The store did not confirm this purchase. Checking your purchases...";
    return outcome;
}

PurchaseOutcome unconfirmedPurchaseFound()
{
    PurchaseOutcome outcome;
    outcome.kind = PurchaseOutcome::Kind::Approved;
    outcome.statusText = "Your purchase has been approved! It was found among your purchases.";
    outcome.message =
        "The store did not confirm this purchase in time, but it is now among your purchases: "
        "your purchase has been approved. This order has been saved in your Varnel account."
        "\n\nWe thank you for your purchase!";
    outcome.caption = "Information";
    outcome.icon = ui::mb::kIconInformation;
    return outcome;
}

PurchaseOutcome unconfirmedPurchaseNotFound(bool paypal)
{
    PurchaseOutcome outcome;
    outcome.kind = PurchaseOutcome::Kind::Unconfirmed;
    outcome.statusText =
        "The store did not confirm this purchase and it is not among your purchases yet. "
        "Please check your email for a receipt before you try again.";
    outcome.message = std::string("The store did not confirm this purchase, and your ") +
                      (paypal ? "PayPal account" : "card") +
                      " may have been charged. The purchase is not among your purchases yet."
                      "\n\nPlease check your email for a receipt before you try again, or "
                      "contact support.";
    outcome.caption = "Purchase Not Confirmed";
    outcome.icon = ui::mb::kIconExclamation;
    return outcome;
}

std::string outcomeAfterQuit(std::string_view reply)
{
    if (startsWith(reply, "approved|"))
        return "qk-agent: the purchase was approved after the agent was asked to end; order number " +
               std::string(reply.substr(9));
    if (startsWith(reply, "Error:") || startsWith(reply, "Declined") || startsWith(reply, "no_serial"))
        return "qk-agent: the purchase was declined after the agent was asked to end: " +
               std::string(reply);
    return "qk-agent: the outcome of the purchase is unknown (the store did not confirm it before "
           "the agent ended); please check your email for a receipt";
}

bool paypalToken(std::string_view reply, std::string& token)
{
    if (!startsWith(reply, "ok|") || reply.size() < 3 + kPaypalTokenLength)
        return false;
    // The token goes into the browser's address and the purchase body as it stands: a
    // "/", "&", "?" or blank there would point the browser elsewhere or add a pair.
    const std::string_view candidate = reply.substr(3, kPaypalTokenLength);
    const bool lettersAndDigits = std::all_of(candidate.begin(), candidate.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    });
    if (!lettersAndDigits)
        return false;
    token.assign(candidate);
    return true;
}

}  // namespace qk
