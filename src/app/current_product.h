#pragma once
// The product shown in the detail panel, and what the commands acting on it need.

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "platform/fixed_text.h"
#include "store/order_record.h"

namespace qk::app {

struct BundleOffer {
    std::string productId;  // empty: no offer
    std::string name;
    std::string discountedPrice;
    std::string cartTag;
};

struct CurrentProduct {
    std::string productId;
    std::string productName;
    std::string priceText;
    std::string salePriceText;
    bool onSale = false;
    bool couponPriced = false;  // priceText is a coupon's price: it wins over the sale price
    std::string cartTag;
    std::string bundleInfo;  // "percent|bundle id"
    BundleOffer bundleOffer;

    bool owned = false;
    OrderFields orderFields;  // owned product only

    std::string fileSizeText;
    bool multiFile = false;
    // Multi-file product: (name, size in bytes as text) per entry of the order's file list.
    std::vector<std::pair<std::string, std::string>> fileList;
    FixedText<100> selectedFile;
    std::string previousFile;
    std::string downloadedFilePath;
    std::string recordedFilePath;

    std::string supportUrl;
    std::string longDescription;
    bool inCart = false;
    std::string couponCode;  // survives clear(): the last applied coupon stays in force

    // Everything but the coupon code back to its empty state.
    void clear()
    {
        std::string keptCoupon = std::move(couponCode);
        *this = CurrentProduct{};
        couponCode = std::move(keptCoupon);
    }

    [[nodiscard]] const std::string& orderField(int index) const { return orderFields.at(static_cast<std::size_t>(index)); }
};

}  // namespace qk::app
