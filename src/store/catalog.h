#pragma once
// The preset vendor's catalog: one request at start-up, kept as ordered product records.

#include <string>
#include <string_view>
#include <vector>

#include "account/session.h"
#include "platform/deployment.h"
#include "platform/fixed_text.h"

namespace qk {

// One catalog entry: the 19 fields of a catalog row, each cut to its width.
struct ProductRecord {
    FixedText<17> productId;       // bundles begin with "bndl-"
    FixedText<101> name;
    FixedText<7> price;            // "29.95", or "beta", "free", "legacy"
    FixedText<11> text3;
    FixedText<15001> description;  // long description ("Read More...")
    FixedText<201> information;    // short information
    FixedText<151> categories;     // comma-separated
    FixedText<4> hidden;           // "Yes" or "No"
    FixedText<3> text8;
    FixedText<151> text9;
    FixedText<151> text10;
    FixedText<101> text11;
    FixedText<7> salePrice;        // empty when not on sale
    FixedText<5> text13;
    FixedText<3> cartCode;         // carried into the cart entry
    FixedText<3> text15;
    FixedText<256> supportLink;
    FixedText<3> text17;
    FixedText<181> offer;          // "percent|bundle id"; for a bundle: "percent|member,member"

    static constexpr int kFieldCount = 19;
    // Sets field `index` (0…18) from `value`, cut to the field's width.
    void setField(int index, std::string_view value);
    [[nodiscard]] std::string_view field(int index) const;
};

struct Catalog {
    std::vector<ProductRecord> catalogRecords;  // reply order; the index is the product index
    bool catalogLoaded = false;                 // set by the first successful parse, never cleared
};

inline constexpr std::size_t kCatalogHeaderMax = 299;

// Fetches the catalog. Result: number of products (>= 1); 0 nothing to show ("Error:1" or
// an empty reply, or a header without rows); -1 store not ready or unexpected failure;
// -2 "err:version"; -3 the server answered with a web page. `header` receives row 0
// (cut to 299 bytes).
int fetchCatalog(const Deployment& deployment, const Session& session, Catalog& catalog,
                 std::string& header);

// The reply half of fetchCatalog, for a reply already read: empties the records,
// classifies the reply and fills the records. Rows with fewer than 19 fields are
// skipped, so the result counts the records kept.
int parseCatalogReply(std::string_view reply, Catalog& catalog, std::string& header);

// Copies the record at `index` into `out`. 1, or -1 while the catalog is not loaded
// (or the index is out of range).
int getProduct(const Catalog& catalog, int index, ProductRecord& out);

// A record's offer field: "percent|bundle id" on a product, "percent|member,member" on a
// bundle.
struct ProductOffer {
    int percent = 0;          // the percent text's leading integer, at least -100000
    std::string percentText;  // as the store wrote it
    std::string target;       // the offered bundle, or the bundle's members
};

// Splits an offer field. A percent above 100 would price the offer below zero, so such
// an offer reads as absent: the empty offer an empty field gives.
ProductOffer readOffer(std::string_view field);

struct ProductPrice {
    std::string name;
    std::string price;            // the record's price text unchanged
    std::string discountedPrice;  // half-up to whole cents, two decimals
};

// The first listed ("No") record with exactly this identifier, priced at `percent` off.
// Returns its index, or -1 when there is none.
int findProductPrice(const Catalog& catalog, std::string_view productId, int percent,
                     ProductPrice& out);

// `priceText` (read as a decimal number; text that is not one reads as 0) less `percent`
// percent, rounded half up to whole cents, with exactly two decimals ("23.96"). Exact for
// any text and any percent; a percent above 100 gives a negative price.
std::string discountedPrice(std::string_view priceText, int percent);

}  // namespace qk
