#pragma once
// The cart dialog "Your Cart": lists the cart, removes entries, shows the total, switches
// the cart to gift mode and leads to checkout.

#include <functional>
#include <string>

#include "commerce/cart.h"
#include "ui/dialog_view.h"
#include "ui/message_box.h"

namespace qk {

struct CartDialogEnvironment {
    ui::DialogFactory& factory;
    ui::DialogView* owner = nullptr;  // the main window; nullptr: the desktop
    ui::MessageBoxFunction messageBox;
    bool mainWindowReady = false;
    // Runs the account dialog modally, owned by `owner`. Empty until that dialog
    // exists; View Account then does nothing.
    std::function<void(ui::DialogView* owner)> openAccountDialog;
};

inline constexpr const char* kGiftModeNoticeCaption = "Products Purchased as Gift!";
inline constexpr const char* kGiftModeNoticeText =
    "Important: You are operating in Gift Mode. All items in this cart will be purchased as "
    "a gift with vouchers issued. If you do not want to purchase as a gift, please exit the "
    "next screen, then cancel Gift Mode and start over.";
inline constexpr const char* kGiftQuestionCaption = "Gift Cart Selected!";
inline constexpr const char* kGiftQuestionText =
    "Important! Are you sure you want to purchase all items in this cart as a gift? Gift "
    "voucher codes for each product will be provided that you can give to a recipient to "
    "redeem.\r\n\r\nPlease select OK to proceed as a gift purchase or Cancel to keep this as "
    "a regular purchase.";

class CartDialog : public ui::DialogHandler {
public:
    CartDialog(Cart& cart, const Session& session, const CartDialogEnvironment& environment);

    // Gives the presenter its view; initialises the dialog if that has not happened yet.
    void attach(ui::DialogView& view);

    void onInit() override;
    void onFirstPaint() override;
    void onCommand(int controlId, ui::Notify code, int index) override;

private:
    void initialise();
    void fillList();
    void showTotals();
    void removeSelected();
    void giftBoxClicked();

    Cart& cart_;
    const Session& session_;
    const CartDialogEnvironment& environment_;
    ui::DialogView* view_ = nullptr;
    bool initialised_ = false;
};

// 0 without a dialog while the cart is not ready; otherwise runs the cart dialog
// modally and returns 1 for "Proceed to Checkout", 0 otherwise.
int openCartDialog(Cart& cart, const Session& session, const CartDialogEnvironment& environment);

}  // namespace qk
