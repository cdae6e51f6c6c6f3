#include "commerce/coupon.h"

#include <exception>

#include "store/reply.h"
#include "store/store_request.h"
#include "ui/message_box/message_box_params.h"
#include "ui/resources/main_window.h"

namespace qk {

namespace {

constexpr std::size_t kMinCouponLength = 4;

constexpr const char* kTypeQuestion =
    "Would you like us to auto-lookup an available coupon or enter one manually?\r\n\r\nNote: "
    "Auto-Lookup applies only to upgrade discounts that are associated with a previous purchase.";

int message(CouponEnvironment& environment, const std::string& text, const char* caption,
            unsigned flags, const ui::MessageBoxParams* params = nullptr)
{
    if (!environment.messageBox)
        return ui::kIdOk;
    return environment.messageBox(params, &environment.mainWindow, text, caption, flags);
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int requestCoupon(const Deployment& deployment, const Session& session, std::string_view productId,
                  std::string_view coupon, std::string& replyText)
{
    replyText.clear();
    if (!session.storeReady)
        return -1;
    if (!session.hasUsableLogin())
        return -2;
    if (coupon.size() < kMinCouponLength)
        return -3;
    try {
        StoreRequest request(deployment);
        request.maxReplyBytes = StoreRequest::kTextReplyMaxBytes;
        // The store reads every value as it stands: nothing is form-encoded.
        request.body = RequestBody("email=")
                           .add(session.email, "&password=", session.password, "&vendorid=",
                                session.vendorId, "&productid=", productId, "&coupon=", coupon,
                                kProtocolVersionPairs)
                           .release();
        request.setUrl(deployment.storeUrl(script::kCoupon));
        request.secure = 1;
        const int sent = request.send();
        wipeText(request.body);  // it carries the password
        if (sent != StoreRequest::kSent)
            return 0;
        replyText = request.reply.substr(0, kCouponReplyMax);
        return static_cast<int>(request.reply.size());
    } catch (const std::exception&) {
        return 0;
    }
}

bool isValidPrice(std::string_view text)
{
    // Plain decimal digits with at most one point: no sign, exponent, blank, "inf" or
    // "nan", which a general number reader would take for a price.
    std::size_t digits = 0;
    bool point = false;
    bool nonZero = false;
    for (const char c : text) {
        if (c == '.' && !point) {
            point = true;
        } else if (isDigit(c)) {
            ++digits;
            nonZero = nonZero || c != '0';
        } else {
            return false;
        }
    }
    if (digits == 0)
        return false;
    return nonZero || text.front() == '0';
}

CouponReply readCouponReply(std::string_view reply, bool automatic, std::string_view typedCode)
{
    CouponReply answer;
    if (countFields(reply, '|') != 2)
        return answer;
    const FieldList fields = splitFields(reply, '|');
    if (fields[0] != "success") {
        answer.kind = CouponReply::Kind::ServerMessage;
        answer.serverMessage = fields[1];
        return answer;
    }
    answer.price = fields[1];
    answer.code = typedCode;
    if (automatic) {
        // Price and code are the first two fields; whatever follows a second "*" is not read.
        FieldReader parts(fields[1], '*');
        std::string_view part;
        parts.next(part);
        answer.price = part;
        answer.code = parts.next(part) ? std::string(part) : std::string();
    }
    answer.kind = isValidPrice(answer.price) ? CouponReply::Kind::Price : CouponReply::Kind::InvalidPrice;
    return answer;
}

AppliedCoupon applyCoupon(CouponEnvironment& environment, CouponProduct& product)
{
    AppliedCoupon result;
    if (product.productId.starts_with("bndl-")) {
        message(environment, "Coupons or vouchers cannot be applied to bundles.", "Coupon Error",
                ui::mb::kIconExclamation);
        return result;
    }

    ui::MessageBoxParams typeButtons;
    typeButtons.useCustomCaptions = true;
    typeButtons.setCustomCaption(ui::CaptionSlot::Yes, "Auto-Lookup (Upgrades Only)");
    typeButtons.setCustomCaption(ui::CaptionSlot::No, "Enter Manually");
    const int type = message(environment, kTypeQuestion, "Select Coupon Type",
                             ui::mb::kYesNoCancel | ui::mb::kIconQuestion, &typeButtons);
    if (type != ui::kIdYes && type != ui::kIdNo)
        return result;

    const bool automatic = type == ui::kIdYes;
    std::string coupon = "auto";
    if (!automatic) {
        coupon = environment.promptText
                     ? environment.promptText(
                           "Enter a Coupon",
                           "Coupon for " + product.productName +
                               "... Please enter a coupon code below and select the Submit "
                               "button. If the coupon is valid the price will be automatically "
                               "adjusted.")
                     : std::string("-1");
        if (coupon == "-1")
            return result;
        if (coupon.empty()) {
            message(environment, "Please enter a valid coupon code.", nullptr, ui::mb::kIconExclamation);
            return result;
        }
    }

    std::string reply;
    requestCoupon(environment.deployment, environment.session, product.productId, coupon, reply);
    const CouponReply answer = readCouponReply(reply, automatic, coupon);
    switch (answer.kind) {
    case CouponReply::Kind::Malformed:
        message(environment, "There was an error applying the selected coupon.", nullptr,
                ui::mb::kIconExclamation);
        return result;
    case CouponReply::Kind::ServerMessage:
        message(environment,
                answer.serverMessage.starts_with("We ")
                    ? answer.serverMessage
                    : "There was an error applying the coupon. The message received from the "
                      "server is:\r\n\r\n" + answer.serverMessage,
                "Server Message", ui::mb::kIconExclamation);
        return result;
    case CouponReply::Kind::InvalidPrice:
        product.couponCode.clear();
        message(environment, "There selected coupon has an invalid configuration. Please contact support.",
                nullptr, ui::mb::kIconExclamation);
        return result;
    case CouponReply::Kind::Price:
        break;
    }
    const std::string& price = answer.price;
    const std::string& code = answer.code;
    product.priceText = price;
    product.couponCode = code;
    if (code.empty())
        return result;

    namespace ids = ui::resources;
    std::string text;
    if (cartLookup(environment.cart.cart, environment.session, product.productId) < 1) {
        environment.mainWindow.setText(ids::kAddToCart, "Add to Cart ($" + price + ")");
        text = "The selected coupon has successfully been applied. Your new price of $" + price +
               " has been set for the selected product.";
    } else {
        // A price the cart refuses must not cost the customer his cart entry.
        const Cart before = environment.cart.cart;
        removeFromCart(environment.cart.cart, environment.session, product.productId);
        if (addToCart(environment.cart, product.productId, product.productName, price, code,
                      product.cartTag, product.bundleOfferId) != cart_result::kAdded) {
            environment.cart.cart = before;
            message(environment, "There was an error applying the discount to the selected product.",
                    nullptr, ui::mb::kIconExclamation);
            return result;
        }
        text = "The selected coupon has successfully been applied. Your new price of $" + price +
               " is now reflected in the cart.";
        environment.mainWindow.setText(ids::kAddToCart, "Remove ($" + price + ")");
    }
    message(environment, text, "Coupon Successfully Applied", ui::mb::kIconExclamation);
    result = {true, price, code};
    return result;
}

}  // namespace qk
