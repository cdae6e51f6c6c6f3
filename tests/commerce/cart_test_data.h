#pragma once
// Store state for cart tests: a set-up store, a small catalog and loaded purchases.

#include <string>
#include <string_view>

#include "store/session.h"
#include "commerce/cart.h"
#include "store/catalog.h"
#include "store/purchases.h"

namespace qk::test {

struct CartWorld {
    Session session;
    Catalog catalog;
    Purchases purchases;
    Cart cart;

    CartWorld()
    {
        session.storeReady = true;
        session.vendorId = "tovrin";
        session.vendorName = "Tovrin Simulations";
        session.taxRate = "0.0825";
        purchases.purchasesLoaded = true;
        purchases.assign("success*Ann*x*0.0825*1", true);
        catalog.catalogLoaded = true;
    }

    CartContext context() { return CartContext{cart, session, catalog, purchases}; }

    void addRecord(std::string_view id, std::string_view name, std::string_view price,
                   std::string_view offer = {}, std::string_view hidden = "No")
    {
        ProductRecord record;
        record.setField(ProductRecord::kProductId, id);
        record.setField(ProductRecord::kName, name);
        record.setField(ProductRecord::kPrice, price);
        record.setField(ProductRecord::kOffer, offer);
        record.setField(ProductRecord::kHidden, hidden);
        catalog.catalogRecords.push_back(record);
    }

    // An order record as kept after the reply's leading character was removed.
    void own(std::string_view id, std::string_view files = "file.zip")
    {
        purchases.addOrder(std::string(id) + "*Owned " + std::string(id) + "*" + std::string(files) +
                           "*1.0*100*0*x*CERT*SER*01*x*9.95*0*ORD1");
    }

    int add(std::string_view id, std::string_view title, std::string_view price,
            std::string_view coupon = {}, std::string_view tag = "01",
            std::string_view linked = {})
    {
        return addToCart(context(), id, title, price, coupon, tag, linked);
    }

    int count() const { return cartCount(cart, session); }
};

}  // namespace qk::test
