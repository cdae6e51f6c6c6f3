#include "ui/resources/cart_dialog.h"

namespace qk::ui::resources {

namespace {

DialogResource buildCartDialog()
{
    using K = ControlKind;
    DialogResource r;
    r.id = kCartDialogId;
    r.width = 331;
    r.height = 241;
    r.fontFamily = "Arial";
    r.fontPoints = 10;
    r.caption = "Your Cart";
    // Tab order follows the customer's path: the list, what to do with it, then out.
    r.controls = {
        control(kCartList, K::ListViewReport, "", 7, 7, 317, 126, {.name = "Cart"}),
        control(kCartRemove, K::PushButton, "Remove", 7, 138, 56, 14),
        control(kCartTotalText, K::StaticRight, "Cart Total: $128.95", 164, 138, 160, 9),
        control(kCartTaxNote, K::StaticRight, "(Tax added on checkout)", 164, 148, 160, 9),
        control(kCartGiftBox, K::CheckBox, "Purchase all items in this cart as a gift", 7, 162,
                200, 10),
        control(kCartBeforeCheckoutGroup, K::GroupBox, "Before Checkout:", 7, 176, 317, 32),
        control(kCartAddressNote, K::StaticLeft,
                "Please update your Varnel account street address if it has changed...", 14,
                190, 206, 9),
        control(kCartViewAccount, K::PushButton, "View Account", 256, 187, 62, 14),
        control(kCartClose, K::PushButton, "Close", 200, 220, 50, 14),
        control(kCartProceed, K::DefaultPushButton, "Proceed to Checkout", 254, 220, 70, 14),
    };
    return r;
}

}  // namespace

const DialogResource& cartDialogResource()
{
    static const DialogResource resource = buildCartDialog();
    return resource;
}

}  // namespace qk::ui::resources
