#pragma once
// The checkout dialog "Varnel Secure Purchasing": the order's sums, card or PayPal
// payment, and the purchase transaction sent from it.

#include "commerce/checkout.h"
#include "commerce/purchase_request.h"

namespace qk {

class CheckoutDialog : public ui::DialogHandler {
public:
    explicit CheckoutDialog(CheckoutEnvironment& environment);

    void attach(ui::DialogView& view);
    void onInit() override;
    void onCommand(int controlId, ui::Notify code, int index) override;

    // 1 the card data is complete; -2 it is not (the message has been shown).
    int readCardFields();
    // Sends the purchase; its result is also kept as the state's purchaseReplyLength.
    int purchase(bool paypal);
    // Enables the card group, or the PayPal group with the button that fits the session.
    void setPaymentMode(bool paypal);
    // "1. Login to PayPal": 1 a session was opened, 0 refused, -1 not asked.
    int startPaypalSession();

private:
    void initialise();
    void fillExpiryBoxes();
    void purchaseClicked(bool paypal);
    int message(const std::string& text, const char* caption, unsigned flags);
    void close();
    void clearCardEdits();
    // A purchase that went out without an answer: the purchases decide its outcome.
    PurchaseOutcome recheckUnconfirmed(bool paypal);
    // What the attempt's outcome leaves: the cart, the button, the result.
    int endAttempt(PurchaseOutcome::Kind kind);

    CheckoutEnvironment& environment_;
    ui::DialogView* view_ = nullptr;
    bool initialised_ = false;
    bool purchasing_ = false;
};

}  // namespace qk
