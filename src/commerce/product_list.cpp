// The cart serialized for the purchase and PayPal requests.
#include <string>

#include "commerce/cart.h"
#include "commerce/money.h"
#include "store/reply.h"

namespace qk {

void buildProductList(Cart& cart)
{
    cart.cartTotalText.clear();
    cart.cartTotal = 0.0;
    cart.productListParam = "&productlist=";
    for (const auto& slot : cart.items) {
        if (slot.isFree())
            continue;
        std::string& out = cart.productListParam;
        out += slot.productId.str();
        out += '|';
        out += formEncode(slot.title.str());
        out += '|';
        out += slot.price.str();
        out += '|';
        // A bundle member or an offer's main product names its link here instead of a coupon.
        out += slot.linkedId.size() > 4 ? slot.linkedId.str() : slot.couponCode.str();
        out += '|';
        out += slot.tax.str();
        out += '|';
        out += slot.vendorId.str();
        out += '|';
        out += formEncode(slot.vendorName.str());
        out += '|';
        out += slot.cartTag.str();
        out += '*';
        cart.cartTotal += readMoney(slot.price);
    }
    cart.cartTotalText = sumText(cart.cartTotal);
}

}  // namespace qk
