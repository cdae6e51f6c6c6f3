#include "ui/resources/checkout_dialog.h"

namespace qk::ui::resources {

namespace {

DialogResource buildCheckoutDialog()
{
    using K = ControlKind;
    const ControlState off{false, true, 0};
    DialogResource r;
    r.id = kCheckoutDialogId;
    r.width = 407;
    r.height = 256;
    r.fontFamily = "Arial";
    r.fontPoints = 10;
    r.caption = "Varnel Secure Purchasing";
    // Top: the logo and the account on the left, the order's sums on the right. Below, the
    // two ways to pay side by side, each in its frame; then the terms, the status line and
    // Cancel. Tab order follows the customer's path through the card fields.
    r.controls = {
        control(kCheckoutLogo, K::PictureFrame, "", 7, 7, 76, 19),
        control(kAccountLabel, K::StaticLeft, "Account used for this purchase:", 7, 30, 150, 9),
        control(kCheckoutAccountEmail, K::StaticLeft, "#email", 7, 40, 196, 9),
        control(kSummary, K::StaticLeft, "#summary", 214, 10, 120, 9),
        control(kSubtotal, K::StaticRight, "#subtotal", 336, 10, 64, 9),
        control(kTaxLabel, K::StaticLeft, "Tax:", 214, 21, 120, 9),
        control(kTax, K::StaticRight, "#tax", 336, 21, 64, 9),
        control(kTotalLabel, K::StaticLeft, "Total:", 214, 32, 120, 9),
        control(kTotal, K::StaticRight, "#total", 336, 32, 64, 9),

        control(kUseCard, K::RadioButton, "Use Credit Card to Purchase", 14, 54, 182, 10),
        control(kUsePaypal, K::RadioButton, "Use PayPal to Purchase", 217, 54, 176, 10),

        control(kCardGroup, K::GroupBox, "", 7, 66, 196, 146),
        control(kCardNumberLabel, K::StaticLeft, "Card Number:", 14, 80, 58, 9),
        control(kCardNumber, K::Edit, "", 74, 78, 122, 13, {true, true, 16}),
        control(kExpiryMonthLabel, K::StaticLeft, "Expire Month:", 14, 98, 58, 9),
        control(kExpiryMonth, K::DropDownList, "", 74, 96, 34, 120),
        control(kExpiryYearLabel, K::StaticLeft, "Year:", 118, 98, 22, 9),
        control(kExpiryYear, K::DropDownList, "", 142, 96, 34, 120),
        control(kCardCodeLabel, K::StaticLeft, "CCV Number:", 14, 116, 58, 9),
        control(kCardCode, K::Edit, "", 74, 114, 34, 13, {true, true, 4}),
        control(kCardCodeNote, K::StaticLeft, "(3 to 4 Numbers)", 114, 116, 82, 9),
        control(kNameOnCardLabel, K::StaticLeft, "Name on Card:", 14, 134, 58, 9),
        control(kNameOnCard, K::Edit, "", 74, 132, 122, 13),
        control(kCardsAccepted, K::StaticLeft,
                "We accept VISA, MasterCard, Discover, and American Express", 14, 152, 182, 18),
        control(kPurchaseWithCard, K::DefaultPushButton, "Click Here to Purchase with Card", 14,
                188, 182, 16),

        control(kPaypalGroup, K::GroupBox, "", 210, 66, 190, 146),
        control(kPaypalNote, K::StaticLeft,
                "For PayPal purchases you will login to the PayPal site in your web browser after "
                "pressing button 1. After you login, you will complete the PayPal purchase by "
                "pressing button 2. ",
                217, 78, 176, 46, off),
        control(kPaypalLogin, K::PushButton, "1. Login to PayPal", 217, 130, 176, 16, off),
        control(kPaypalLoginNote, K::StaticLeft, "Click here first to start PayPal Session", 217,
                148, 176, 9, off),
        control(kPaypalComplete, K::PushButton, "2. Complete PayPal Purchase", 217, 170, 176, 16,
                off),
        control(kPaypalCompleteNote, K::StaticLeft, "Click to purchase after PayPal login", 217,
                188, 176, 9, off),

        control(kTermsNote, K::StaticLeft, "By purchasing below, you agree to the", 7, 218, 116, 9),
        control(kTermsLink, K::Link, "<a>Varnel Terms of Service</a>", 123, 218, 120, 9),
        control(kCheckoutStatus, K::StaticLeft, "Status: Waiting for customer input...", 7, 230,
                330, 19),
        control(kCheckoutCancel, K::PushButton, "Cancel", 345, 234, 55, 14),
    };
    return r;
}

}  // namespace

const DialogResource& checkoutDialogResource()
{
    static const DialogResource resource = buildCheckoutDialog();
    return resource;
}

}  // namespace qk::ui::resources
