#include "commerce/cart.h"

#include <string>

#include "store/session.h"
#include "commerce/money.h"
#include "store/catalog.h"
#include "store/purchases.h"
#include "store/reply.h"

namespace qk {

namespace {

constexpr std::size_t kMinFieldLength = 4;
constexpr int kFullAt = 19;  // one slot stays free for single products; bundles may use it

CartItem* firstFreeSlot(Cart& cart)
{
    for (auto& slot : cart.items)
        if (slot.isFree())
            return &slot;
    return nullptr;
}

bool isOwned(const CartContext& context, std::string_view productId)
{
    return findOrder(context.purchases, context.cart.giftMode, productId) == 1;
}

void stampVendor(CartItem& item, const Session& session)
{
    item.vendorId = session.vendorId;
    item.vendorName = session.vendorName;
}

std::string taxFor(std::string_view price, const Session& session)
{
    return moneyText(readMoney(price) * readMoney(session.taxRate));
}

int addSingleProduct(const CartContext& context, std::string_view productId,
                     std::string_view title, std::string_view price, std::string_view couponCode,
                     std::string_view cartTag, std::string_view linkedId)
{
    CartItem* slot = firstFreeSlot(context.cart);
    if (slot == nullptr)
        return cart_result::kAdded;
    slot->productId = productId;
    slot->title = title;
    slot->price = price;
    slot->couponCode = couponCode;
    slot->linkedId = linkedId;
    slot->tax = taxFor(slot->price, context.session);
    stampVendor(*slot, context.session);
    slot->cartTag = cartTag;
    context.cart.cartReady = true;
    return cart_result::kAdded;
}

// "percent|member,member…" of the last listed catalog record of the bundle.
std::string_view bundleDefinition(const Catalog& catalog, std::string_view bundleId)
{
    std::string_view definition;
    for (const auto& record : catalog.catalogRecords)
        if (record.productId() == bundleId && record.hidden() == "No")
            definition = record.offer();
    return definition;
}

int addBundle(const CartContext& context, std::string_view bundleId, std::string_view cartTag)
{
    // A definition whose percent would price the members below zero reads as none.
    const ProductOffer definition = readOffer(bundleDefinition(context.catalog, bundleId));
    const double factor = (100 - definition.percent) / 100.0;
    FieldList members;
    if (!definition.target.empty())
        members = splitFields(definition.target, ',');

    bool lastMemberAdded = false;
    for (const auto& memberId : members) {
        if (isOwned(context, memberId)) {
            lastMemberAdded = false;
            continue;
        }
        CartItem* slot = firstFreeSlot(context.cart);
        if (slot == nullptr)
            return cart_result::kNoSlotForMember;
        lastMemberAdded = false;
        for (const auto& record : context.catalog.catalogRecords) {
            if (record.productId() != memberId || record.hidden() != "No")
                continue;
            slot->price = moneyText(readMoney(record.price()) * factor);
            slot->productId = record.productId();
            slot->title = record.name();
            slot->linkedId = bundleId;
            slot->tax = taxFor(slot->price, context.session);
            stampVendor(*slot, context.session);
            slot->cartTag = cartTag;
            context.cart.cartReady = true;
            lastMemberAdded = true;
        }
    }
    return lastMemberAdded ? cart_result::kAdded : cart_result::kLastMemberNotAdded;
}

}  // namespace

int cartCount(const Cart& cart, const Session& session)
{
    if (!session.storeReady)
        return 0;
    int count = 0;
    for (const auto& slot : cart.items)
        if (!slot.isFree())
            ++count;
    return count;
}

bool isBundleId(std::string_view id)
{
    if (id.size() <= 4)
        return false;
    constexpr std::string_view prefix = "bndl-";
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = id[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

int cartLookup(const Cart& cart, const Session& session, std::string_view productId)
{
    for (const auto& slot : cart.items) {
        const bool sameVendor = slot.vendorId == session.vendorId;
        if (slot.productId == productId && sameVendor)
            return slot.linkedId.empty() ? 1 : 2;
        if (slot.linkedId.size() > 4 && isBundleId(productId) && slot.linkedId == productId &&
            sameVendor)
            return 1;
    }
    return 0;
}

int addToCart(const CartContext& context, std::string_view productId, std::string_view title,
              std::string_view price, std::string_view couponCode, std::string_view cartTag,
              std::string_view linkedId)
{
    if (!context.session.storeReady)
        return cart_result::kStoreNotReady;
    if (!context.purchases.purchasesLoaded)
        return cart_result::kPurchasesNotLoaded;
    if (price == "hide")
        return cart_result::kHiddenPrice;
    if (title.size() < kMinFieldLength || price.size() < kMinFieldLength ||
        productId.size() < kMinFieldLength)
        return cart_result::kTooShort;
    for (const auto& slot : context.cart.items)
        if (slot.productId == productId)
            return cart_result::kAlreadyInCart;
    if (cartCount(context.cart, context.session) >= kFullAt)
        return cart_result::kCartFull;
    if (isOwned(context, productId))
        return cart_result::kAlreadyOwned;

    if (isBundleId(productId))
        return addBundle(context, productId, cartTag);
    return addSingleProduct(context, productId, title, price, couponCode, cartTag, linkedId);
}

int removeFromCart(Cart& cart, const Session& session, std::string_view productId)
{
    std::string target(productId);
    for (const auto& slot : cart.items) {
        if (slot.productId == productId && !slot.linkedId.empty()) {
            target = slot.linkedId.str();
            break;
        }
    }

    bool removed = false;
    if (isBundleId(target)) {
        for (auto& slot : cart.items) {
            if (slot.linkedId == target) {
                slot.clear();
                removed = true;
            }
        }
    } else {
        CartItem* item = nullptr;
        for (auto& slot : cart.items) {
            if (!slot.isFree() && slot.productId == productId) {
                item = &slot;
                break;
            }
        }
        if (item == nullptr)
            return 0;
        if (!item->linkedId.empty()) {
            for (auto& slot : cart.items) {
                if (&slot != item && slot.productId == item->linkedId) {
                    slot.clear();
                    break;
                }
            }
        }
        item->clear();
        removed = true;
    }
    if (!session.storeReady || cartCount(cart, session) == 0)
        cart.cartReady = false;
    return removed ? 1 : 0;
}

bool everyCartProductOwned(const Cart& cart, const Purchases& purchases)
{
    bool any = false;
    for (const CartItem& item : cart.items) {
        if (item.isFree())
            continue;
        if (findOrder(purchases, cart.giftMode, item.productId.str()) != 1)
            return false;
        any = true;
    }
    return any;
}

void clearCart(Cart& cart)
{
    for (auto& slot : cart.items)
        slot.clear();
}

}  // namespace qk
