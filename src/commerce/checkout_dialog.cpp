#include "commerce/checkout_dialog.h"

#include <cstdio>
#include <exception>

#include "commerce/money.h"
#include "commerce/purchase_request.h"
#include "store/reply.h"
#include "store/store_request.h"
#include "ui/resources/checkout_dialog.h"

namespace qk {

namespace res = ui::resources;

namespace {

constexpr int kFirstExpiryYear = 2019;
constexpr int kLastExpiryYear = 2038;
constexpr std::size_t kCardNumberMax = 31;
constexpr std::size_t kCardCodeMax = 4;
constexpr std::size_t kNameOnCardMax = 149;
constexpr std::size_t kExpiryPartMax = 9;
constexpr std::size_t kMinCardNumber = 13;
constexpr std::size_t kMinCardCode = 3;
constexpr std::size_t kMinNameOnCard = 3;
constexpr std::size_t kPaypalTokenLength = 16;

constexpr const char* kIncompleteCard =
    "The data you entered is incomplete. Please make sure you enter the correct information "
    "and try again.";
constexpr const char* kInvalidAccount =
    "Invalid account information selected. Please make sure you have selcted a valid Varnel "
    "account email and password. Use the Account button to set your account information.";
constexpr const char* kNameOnCardCodePage =
    "Invalid entry for \"Name on Card\". Please use only characters of Western European "
    "languages in this field.";
constexpr const char* kPaypalUndefined =
    "There was a undefined error trying to initialize a PayPal session. Please try again shortly "
    "or contact support.";
constexpr const char* kPaypalCallFailed =
    "There was an error in the PayPal function call. Please contact support if you keep getting "
    "this error.";

const int kCardControls[] = {res::kCardNumber,      res::kExpiryMonth,     res::kExpiryYear,
                             res::kCardCode,        res::kPurchaseWithCard, res::kCardNumberLabel,
                             res::kExpiryMonthLabel, res::kExpiryYearLabel, res::kCardCodeLabel,
                             res::kCardCodeNote,    res::kCardsAccepted,   res::kNameOnCard,
                             res::kNameOnCardLabel};
const int kPaypalControls[] = {res::kPaypalLogin, res::kPaypalComplete, res::kPaypalNote,
                               res::kPaypalLoginNote, res::kPaypalCompleteNote};

std::string twoDigits(int value)
{
    const std::string full = std::to_string(value);
    return full.size() >= 2 ? full.substr(full.size() - 2) : "0" + full;
}

}  // namespace

CheckoutDialog::CheckoutDialog(CheckoutEnvironment& environment) : environment_(environment) {}

void CheckoutDialog::attach(ui::DialogView& view)
{
    view_ = &view;
    initialise();
}

void CheckoutDialog::onInit()
{
    initialise();
}

void CheckoutDialog::initialise()
{
    if (view_ == nullptr || initialised_)
        return;
    initialised_ = true;
    ui::DialogView& view = *view_;
    Cart& cart = environment_.cart;
    const Session& session = environment_.session;

    view.setPicture(res::kCheckoutLogo, 0, 0, environment_.logoImage, environment_.logoPixelRatio);
    view.centreOver(environment_.owner);

    environment_.state.checkoutSummaryText = checkoutSummary(cartCount(cart, session));
    const std::string subtotal = session.currencySymbol + cart.cartTotalText;
    const double grandTotal = readMoney(cart.cartTotalText) + readMoney(cart.taxTotalText);
    cart.cartTotalText = "$" + sumText(grandTotal);
    cart.taxTotalText = session.currencySymbol + cart.taxTotalText;

    view.setChecked(res::kUseCard, true);
    view.setText(res::kSummary, environment_.state.checkoutSummaryText);
    view.setText(res::kSubtotal, subtotal);
    view.setText(res::kTotal, cart.cartTotalText);
    view.setText(res::kTax, cart.taxTotalText);
    view.setText(res::kCheckoutAccountEmail, session.email);
    view.setText(res::kNameOnCard, session.customerName);
    view.setTitle("Varnel Secure Purchasing");
    fillExpiryBoxes();
    setPaymentMode(false);
    view.setFocus(res::kCardNumber);
}

void CheckoutDialog::fillExpiryBoxes()
{
    ui::DialogView& view = *view_;
    view.comboClear(res::kExpiryMonth);
    for (int month = 1; month <= 12; ++month)
        view.comboAdd(res::kExpiryMonth, twoDigits(month));
    view.comboClear(res::kExpiryYear);
    for (int year = kFirstExpiryYear; year <= kLastExpiryYear; ++year)
        view.comboAdd(res::kExpiryYear, twoDigits(year));
    view.comboSetCurrent(res::kExpiryMonth, 0);
    view.comboSetCurrent(res::kExpiryYear, 0);
}

void CheckoutDialog::setPaymentMode(bool paypal)
{
    ui::DialogView& view = *view_;
    for (const int id : kCardControls)
        view.setEnabled(id, !paypal);
    for (const int id : kPaypalControls)
        view.setEnabled(id, false);
    if (!paypal)
        return;
    for (const int id : {res::kPaypalNote, res::kPaypalLoginNote, res::kPaypalCompleteNote})
        view.setEnabled(id, true);
    const bool sessionHeld = environment_.state.paypalSession.size() == kPaypalTokenLength;
    view.setEnabled(sessionHeld ? res::kPaypalComplete : res::kPaypalLogin, true);
}

int CheckoutDialog::message(const std::string& text, const char* caption, unsigned flags)
{
    if (!environment_.messageBox)
        return ui::kIdOk;
    return environment_.messageBox(nullptr, view_, text, caption, flags);
}

void CheckoutDialog::close()
{
    // The card number and code stay in no window once the dialog is gone.
    clearCardEdits();
    view_->endDialog(0);
}

void CheckoutDialog::clearCardEdits()
{
    view_->setText(res::kCardNumber, "");
    view_->setText(res::kCardCode, "");
}

void CheckoutDialog::onCommand(int controlId, ui::Notify code, int /*index*/)
{
    if (view_ == nullptr)
        return;
    ui::DialogView& view = *view_;
    switch (controlId) {
    case res::kUseCard:
        if (view.isChecked(res::kUseCard)) {
            setPaymentMode(false);
            view.setFocus(res::kCardNumber);
        }
        return;
    case res::kUsePaypal:
        if (view.isChecked(res::kUsePaypal)) {
            setPaymentMode(true);
            view.setFocus(res::kPaypalLogin);
        }
        return;
    case res::kPurchaseWithCard:
        purchaseClicked(false);
        return;
    case res::kPaypalLogin:
        startPaypalSession();
        return;
    case res::kPaypalComplete:
        purchaseClicked(true);
        return;
    case res::kCheckoutCancel:
        environment_.state.keepCheckoutOpen = keep_open::kCancelled;
        environment_.state.paypalSession.clear();
        close();
        return;
    case ui::kCancelCommand:
        environment_.state.paypalSession.clear();
        close();
        return;
    case res::kTermsLink:
        if (code == ui::Notify::LinkClicked)
            environment_.shell.open(environment_.deployment.storePlainPageUrl("/view.asp?page=tos"));
        return;
    default:
        return;
    }
}

void CheckoutDialog::purchaseClicked(bool paypal)
{
    // A press that arrives while the last attempt is still answering is not a new one.
    if (purchasing_)
        return;
    if (!environment_.session.hasUsableLogin()) {
        message(kInvalidAccount, "Invalid Account Information", ui::mb::kOk);
        return;
    }
    if (!paypal && readCardFields() != 1)
        return;
    environment_.state.purchaseReplyLength = purchase(paypal);
    if (environment_.state.keepCheckoutOpen == keep_open::kMayClose)
        close();
}

int CheckoutDialog::readCardFields()
{
    ui::DialogView& view = *view_;
    CardDetails& card = environment_.state.card;
    card.wipe();
    view.readSecretText(res::kCardNumber, kCardNumberMax, card.number);
    view.readSecretText(res::kCardCode, kCardCodeMax, card.code);
    const bool nameFitsCodePage = view.readSecretText(res::kNameOnCard, kNameOnCardMax, card.nameOnCard);
    const int month = view.comboCurrent(res::kExpiryMonth);
    const int year = view.comboCurrent(res::kExpiryYear);
    std::string expiry = month < 0 ? std::string() : view.comboText(res::kExpiryMonth, month).substr(0, kExpiryPartMax);
    if (year >= 0) {
        std::string yearText = view.comboText(res::kExpiryYear, year).substr(0, kExpiryPartMax);
        expiry += yearText;
        wipeText(yearText);
    }
    card.expiry.assign(expiry);
    wipeText(expiry);

    const bool complete = card.number.size() >= kMinCardNumber && card.expiry.size() == 4 &&
                          card.code.size() >= kMinCardCode && environment_.session.storeReady &&
                          environment_.cart.cartReady;
    if (!complete) {
        card.wipe();
        view.setText(res::kCheckoutStatus, kIncompleteCard);
        message(kIncompleteCard, "Incomplete Information", ui::mb::kIconExclamation);
        return -2;
    }
    if (card.nameOnCard.size() < kMinNameOnCard) {
        card.wipe();
        message("Your Name on Card is invalid. Please enter a longer billing name.", "Error", ui::mb::kOk);
        return -2;
    }
    // The store reads the name in its code page: a letter without a byte there would be
    // sent as "?" and the card's holder named wrongly.
    if (!nameFitsCodePage) {
        card.wipe();
        message(kNameOnCardCodePage, "Invalid field submitted...", ui::mb::kIconExclamation);
        return -2;
    }
    return 1;
}

int CheckoutDialog::purchase(bool paypal)
{
    ui::DialogView& view = *view_;
    CheckoutState& state = environment_.state;
    state.keepCheckoutOpen = keep_open::kMayClose;
    purchasing_ = true;

    StoreRequest request(environment_.deployment);
    request.maxReplyBytes = StoreRequest::kTextReplyMaxBytes;
    // A slow payment gateway is not a failure: the agent never cuts a purchase short.
    request.waitForOutcome();
    request.body = purchaseBody(environment_.session, environment_.cart,
                                paypal ? nullptr : &state.card, state.paypalSession);
    // The card data is needed for this one request only.
    state.card.wipe();
    view.setEnabled(res::kPurchaseWithCard, false);
    request.setUrl(environment_.deployment.storeUrl(script::kProcess));
    request.secure = 1;
    view.setText(res::kCheckoutStatus, "Status: Processing purchase transaction...");
    const bool asked = request.send() != StoreRequest::kQuitting;
    wipeText(request.body);
    // A card code serves one attempt: typed again for the next.
    if (!paypal)
        view.setText(res::kCardCode, "");

    state.purchaseReplyLength = static_cast<int>(request.reply.size());
    state.purchaseReplyText = request.reply;
    if (environment_.deployment.quitAsked()) {
        // No window shows the outcome any more; the customer still learns it.
        if (asked)
            std::fprintf(stderr, "%s\n", outcomeAfterQuit(request.reply).c_str());
        purchasing_ = false;
        return endAttempt(classifyPurchaseReply(request.reply).kind);
    }
    PurchaseOutcome outcome = classifyPurchaseReply(request.reply);
    if (request.requestSent && request.reply.empty())
        outcome = recheckUnconfirmed(paypal);
    view.setText(res::kCheckoutStatus, outcome.statusText);
    message(outcome.message, outcome.caption, outcome.icon);
    purchasing_ = false;
    return endAttempt(outcome.kind);
}

PurchaseOutcome CheckoutDialog::recheckUnconfirmed(bool paypal)
{
    CheckoutState& state = environment_.state;
    view_->setText(res::kCheckoutStatus, unconfirmedPurchaseChecking().statusText);
    const bool owned = environment_.cartOwnedAfterReread && environment_.cartOwnedAfterReread();
    state.purchasesReread = static_cast<bool>(environment_.cartOwnedAfterReread);
    if (!owned)
        return unconfirmedPurchaseNotFound(paypal);
    // As after an approval: the window refreshes the store with the bought products.
    state.purchaseReplyText = "approved|";
    state.purchaseReplyLength = static_cast<int>(state.purchaseReplyText.size());
    return unconfirmedPurchaseFound();
}

int CheckoutDialog::endAttempt(PurchaseOutcome::Kind kind)
{
    CheckoutState& state = environment_.state;
    switch (kind) {
    case PurchaseOutcome::Kind::Approved:
        clearCart(environment_.cart);
        return state.purchaseReplyLength;
    case PurchaseOutcome::Kind::ErrorAnswer:
        state.keepCheckoutOpen = keep_open::kFailed;
        view_->setEnabled(res::kPurchaseWithCard, true);
        return -1;
    case PurchaseOutcome::Kind::Unspecified:
    case PurchaseOutcome::Kind::Unconfirmed:
        break;
    }
    state.keepCheckoutOpen = keep_open::kFailed;
    view_->setEnabled(res::kPurchaseWithCard, true);
    return 0;
}

int CheckoutDialog::startPaypalSession()
{
    ui::DialogView& view = *view_;
    CheckoutState& state = environment_.state;
    state.keepCheckoutOpen = keep_open::kMayClose;
    try {
        StoreRequest request(environment_.deployment);
        request.maxReplyBytes = StoreRequest::kTextReplyMaxBytes;
        request.body = paypalSessionBody(environment_.session, environment_.cart);
        view.setEnabled(res::kPaypalLogin, false);
        state.paypalSession.clear();
        request.setUrl(environment_.deployment.storeUrl(script::kPaypal));
        request.secure = 1;
        request.send();
        wipeText(request.body);  // it carries the password
        state.purchaseReplyText = request.reply;

        if (paypalToken(request.reply, state.paypalSession)) {
            // The customer logs in to PayPal in his own browser, on the store's address.
            environment_.shell.open(environment_.deployment.storePageUrl(
                std::string(script::kPaypal) + "?session=" + state.paypalSession));
            view.setEnabled(res::kPaypalComplete, true);
            return 1;
        }
        message(startsWith(request.reply, "Error:") ? std::string(shownStoreMessage(request.reply))
                                                    : kPaypalUndefined,
                "Error", ui::mb::kOk);
        view.setEnabled(res::kPaypalLogin, true);
        return 0;
    } catch (const std::exception&) {
        message(kPaypalCallFailed, "Error", ui::mb::kOk);
        view.setEnabled(res::kPaypalLogin, true);
        return -1;
    }
}

}  // namespace qk
