#pragma once
// The main window's process-wide state: the preset vendor, the download base, the
// window's table of the catalog's products, list selection and login display state.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "store/catalog.h"

namespace qk::app {

// A catalog record as the main window lists it: the catalog's record (not a copy: a
// large catalog would be held twice) plus the price and coupon code the coupon flow may
// write for the list and the panel to show. Valid until the catalog is fetched again,
// which empties the window's table first.
struct ListedProduct {
    // What a coupon applied to the product leaves: few products ever get one, so the
    // others cost one pointer for it.
    struct Coupon {
        FixedText<11> price;
        FixedText<17> code;
    };

    const ProductRecord* source = nullptr;
    std::unique_ptr<Coupon> coupon;  // null until a coupon is applied

    [[nodiscard]] const ProductRecord& record() const { return *source; }
    // What the window shows: the record's price (held to the window's 10 bytes), or the
    // coupon's.
    [[nodiscard]] std::string_view price() const
    {
        return coupon ? std::string_view(coupon->price) : cutToField(source->price(), 11);
    }
    [[nodiscard]] std::string_view couponCode() const { return coupon ? std::string_view(coupon->code) : std::string_view(); }
    void applyCoupon(std::string_view price, std::string_view code)
    {
        coupon = std::make_unique<Coupon>(Coupon{price, code});
    }
};

struct AppState {
    std::string vendorName;
    std::string vendorId;
    std::string vendorPassword;
    std::string downloadBase;

    int productCount = 0;                // result of fetchCatalog
    std::vector<ListedProduct> products;  // catalog order; rebuilt by every refreshStore

    int selectedProduct = -1;  // index into products of the shown product; -1 none
    int shownRow = -1;         // list row last shown; -1 forces the next refresh
    bool columnsReady = false;
    bool loggedIn = false;
    bool mainWindowReady = false;
    bool firstPaintDone = false;

    std::string notificationId;
    std::string notificationText;
};

}  // namespace qk::app
