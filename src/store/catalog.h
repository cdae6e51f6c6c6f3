#pragma once
// The preset vendor's catalog: one request at start-up, kept as ordered product records.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "store/session.h"
#include "platform/deployment.h"
#include "platform/fixed_text.h"

namespace qk {

// One catalog entry: the 19 fields of a catalog row, each cut as a fixed-size field of its
// width holds it (at most width - 1 bytes, and only up to an embedded NUL).
//
// A catalog holds tens of thousands of records, so a record keeps its fields packed in
// one block of its own: the fields' lengths, then their texts one after another. A
// record without a field set holds no block at all. Fields are read as views into the
// block, valid until the record is changed or destroyed.
class ProductRecord {
public:
    // Field indexes, in the order of a catalog row.
    enum Field : int {
        kProductId,    // bundles begin with "bndl-"
        kName,
        kPrice,        // "29.95", or "beta", "free", "legacy"
        kText3,
        kDescription,  // long description ("Read More...")
        kInformation,  // short information
        kCategories,   // comma-separated
        kHidden,       // "Yes" or "No"
        kText8,
        kText9,
        kText10,
        kText11,
        kSalePrice,    // empty when not on sale
        kText13,
        kCartCode,     // carried into the cart entry
        kText15,
        kSupportLink,
        kText17,
        kOffer,        // "percent|bundle id"; for a bundle: "percent|member,member"
    };
    static constexpr int kFieldCount = 19;
    // Each field's width: the bytes of its C field, terminator included.
    static constexpr std::size_t kWidths[kFieldCount] = {17, 101, 7, 11, 15001, 201, 151, 4, 3, 151,
                                                         151, 101, 7, 5, 3, 3, 256, 3, 181};

    ProductRecord() = default;
    ProductRecord(const ProductRecord& other);
    ProductRecord& operator=(const ProductRecord& other);
    ProductRecord(ProductRecord&&) noexcept = default;
    ProductRecord& operator=(ProductRecord&&) noexcept = default;
    ~ProductRecord() = default;

    // Sets all 19 fields at once, field i from fields[i], each cut to its width.
    void assign(const std::string_view (&fields)[kFieldCount]);
    // Sets field `index` (0…18) from `value`, cut to the field's width; other indexes
    // change nothing.
    void setField(int index, std::string_view value);
    // Field `index` as held; empty for an index outside 0…18.
    [[nodiscard]] std::string_view field(int index) const;

    [[nodiscard]] std::string_view productId() const { return field(kProductId); }
    [[nodiscard]] std::string_view name() const { return field(kName); }
    [[nodiscard]] std::string_view price() const { return field(kPrice); }
    [[nodiscard]] std::string_view text3() const { return field(kText3); }
    [[nodiscard]] std::string_view description() const { return field(kDescription); }
    [[nodiscard]] std::string_view information() const { return field(kInformation); }
    [[nodiscard]] std::string_view categories() const { return field(kCategories); }
    [[nodiscard]] std::string_view hidden() const { return field(kHidden); }
    [[nodiscard]] std::string_view text8() const { return field(kText8); }
    [[nodiscard]] std::string_view text9() const { return field(kText9); }
    [[nodiscard]] std::string_view text10() const { return field(kText10); }
    [[nodiscard]] std::string_view text11() const { return field(kText11); }
    [[nodiscard]] std::string_view salePrice() const { return field(kSalePrice); }
    [[nodiscard]] std::string_view text13() const { return field(kText13); }
    [[nodiscard]] std::string_view cartCode() const { return field(kCartCode); }
    [[nodiscard]] std::string_view text15() const { return field(kText15); }
    [[nodiscard]] std::string_view supportLink() const { return field(kSupportLink); }
    [[nodiscard]] std::string_view text17() const { return field(kText17); }
    [[nodiscard]] std::string_view offer() const { return field(kOffer); }

private:
    // The block: one length byte per field, two (low byte first) for the description,
    // which alone may exceed 255 bytes; then the texts in field order.
    static constexpr std::size_t kLengthBytes = kFieldCount + 1;
    static_assert(kWidths[kDescription] - 1 <= 0xFFFF, "the description's length fits two bytes");

    [[nodiscard]] std::size_t length(int index) const;
    [[nodiscard]] std::size_t blockSize() const;

    std::unique_ptr<unsigned char[]> block_;
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
