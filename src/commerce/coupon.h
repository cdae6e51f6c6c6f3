#pragma once
// Coupons: the store's price for the shown product with a code the customer types, or
// with the upgrade coupon the store looks up for him.

#include <functional>
#include <string>
#include <string_view>

#include "store/session.h"
#include "commerce/cart.h"
#include "platform/deployment.h"
#include "ui/dialog_view.h"
#include "ui/message_box.h"

namespace qk {

inline constexpr std::size_t kCouponReplyMax = 199;

// The reply's length; -1 store not set up; -2 no usable login; -3 a coupon of fewer
// than 4 characters; 0 when the exchange could not be made. Nothing is sent on a
// refusal. `replyText` gets the reply (at most 199 characters).
int requestCoupon(const Deployment& deployment, const Session& session, std::string_view productId,
                  std::string_view coupon, std::string& replyText);

// A price the store may set: one decimal number and nothing else, not 0 unless written
// with a leading "0" ("0.00" and "12.50" are prices; "free", "", "12.50 USD" are not).
bool isValidPrice(std::string_view text);

// What a coupon reply says. "success|price" sets the price with the code typed; from the
// auto-lookup "success|price*code" names the code too (none after a price without "*").
// Any other two-field reply carries the store's message; a reply of another shape is
// malformed.
struct CouponReply {
    enum class Kind { Malformed, ServerMessage, InvalidPrice, Price };
    Kind kind = Kind::Malformed;
    std::string serverMessage;  // ServerMessage: the second field
    std::string price;          // InvalidPrice and Price
    std::string code;           // Price: the code now in force; may be empty
};
CouponReply readCouponReply(std::string_view reply, bool automatic, std::string_view typedCode);

// The product shown in the detail panel, as the coupon flow reads and changes it.
struct CouponProduct {
    std::string productId;
    std::string productName;
    std::string cartTag;
    std::string bundleOfferId;
    std::string& priceText;
    std::string& couponCode;
};

struct CouponEnvironment {
    const Deployment& deployment;
    const Session& session;
    CartContext cart;
    ui::DialogView& mainWindow;
    ui::MessageBoxFunction messageBox;
    // The coupon entry dialog: what the customer submitted, or "-1" when cancelled.
    std::function<std::string(const std::string& caption, const std::string& prompt)> promptText;
};

// What a coupon flow that got as far as a new price leaves for the product table.
struct AppliedCoupon {
    bool applied = false;
    std::string price;
    std::string code;
};

// Apply Coupon: the whole flow, every failure ending in one message.
AppliedCoupon applyCoupon(CouponEnvironment& environment, CouponProduct& product);

}  // namespace qk
