#pragma once
// The cart: 20 fixed slots of fixed-width texts, kept for the whole run.

#include <array>
#include <string>
#include <string_view>

#include "platform/fixed_text.h"

namespace qk {

struct Session;
struct Catalog;
struct Purchases;

struct CartItem {
    FixedText<17> productId;   // empty: the slot is free
    FixedText<101> title;
    // Wide enough for any price the product table holds (10 characters) and its tax, and
    // for the 24 characters the coupon dialog takes: a cut price or code would be sent
    // other than the customer was told.
    FixedText<11> price;       // two decimals
    FixedText<25> couponCode;
    FixedText<11> tax;         // two decimals
    FixedText<3> cartTag;
    FixedText<7> vendorId;
    FixedText<51> vendorName;
    FixedText<17> linkedId;    // bundle product of a member, or the offered companion

    [[nodiscard]] bool isFree() const { return productId.empty(); }
    void clear() { *this = CartItem{}; }
};

inline constexpr int kCartSlots = 20;

struct Cart {
    std::array<CartItem, kCartSlots> items;
    bool cartReady = false;
    bool giftMode = false;
    double cartTotal = 0.0;
    std::string taxTotalText;
    std::string productListParam;
    std::string cartTotalText;
};

// What the cart operations read besides the cart itself.
struct CartContext {
    Cart& cart;
    const Session& session;      // storeReady, vendorId, vendorName, taxRate
    const Catalog& catalog;      // bundle definitions and member prices
    const Purchases& purchases;  // ownership
};

// Result codes of addToCart.
namespace cart_result {
inline constexpr int kAdded = 1;
inline constexpr int kStoreNotReady = 0;
inline constexpr int kTooShort = -1;          // title, price or identifier under 4 characters
inline constexpr int kAlreadyInCart = -2;
inline constexpr int kCartFull = -3;          // 19 or more entries
inline constexpr int kAlreadyOwned = -4;
inline constexpr int kPurchasesNotLoaded = -5;
inline constexpr int kHiddenPrice = -6;       // the price text is "hide"
inline constexpr int kNoSlotForMember = -7;   // a bundle ran out of slots part-way
inline constexpr int kLastMemberNotAdded = -8;
}  // namespace cart_result

// Number of non-empty slots; 0 while the store is not set up.
int cartCount(const Cart& cart, const Session& session);

// True for identifiers longer than 4 characters that begin with "bndl-" in any case.
bool isBundleId(std::string_view id);

// 0 not in the cart; 1 in it (a bundle counts while any member is); 2 in it with a
// linked product.
int cartLookup(const Cart& cart, const Session& session, std::string_view productId);

// Puts a product, or the members of a bundle product, into the cart. Result codes above.
int addToCart(const CartContext& context, std::string_view productId, std::string_view title,
              std::string_view price, std::string_view couponCode, std::string_view cartTag,
              std::string_view linkedId);

// Removes a product with what belongs to it (its whole bundle, or the companion it was
// added with). 1 removed, 0 nothing found.
int removeFromCart(Cart& cart, const Session& session, std::string_view productId);

// Empties all 20 slots; the flags stay as they are.
void clearCart(Cart& cart);

// true when the cart holds at least one product and the purchases own every one of them
// (a gift bought for someone else is never owned, so gift mode gives false).
bool everyCartProductOwned(const Cart& cart, const Purchases& purchases);

// Fills productListParam, cartTotal and cartTotalText for the purchase request.
void buildProductList(Cart& cart);

}  // namespace qk
