#include "store/catalog.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <new>

#include "store/reply.h"
#include "store/store_request.h"

namespace qk {
namespace {

constexpr char kRowSeparator = '\x02';
constexpr char kFieldSeparator = '\x01';

// A decimal text as an exact fraction mantissa / 10^scale, read the way the C library's
// number reader does: leading blanks, a sign, digits, a point, digits; the rest ignored.
struct Decimal {
    std::int64_t mantissa = 0;
    std::int64_t scale = 1;  // 10^fraction digits
};

Decimal readDecimal(std::string_view text)
{
    constexpr std::int64_t kMaxMantissa = 100'000'000'000'000;  // 15 digits are plenty for a price
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    Decimal d;
    bool fraction = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.' && !fraction) {
            fraction = true;
            continue;
        }
        if (c < '0' || c > '9')
            break;
        if (d.mantissa >= kMaxMantissa / 10)
            continue;  // digits beyond what a price can hold are dropped
        d.mantissa = d.mantissa * 10 + (c - '0');
        if (fraction)
            d.scale *= 10;
    }
    if (negative)
        d.mantissa = -d.mantissa;
    return d;
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b)  // b > 0
{
    std::int64_t q = a / b;
    if ((a % b != 0) && (a < 0))
        --q;
    return q;
}

std::string centsText(std::int64_t cents)
{
    std::string out;
    if (cents < 0) {
        out.push_back('-');
        cents = -cents;
    }
    const std::int64_t part = cents % 100;
    out += std::to_string(cents / 100);
    out.push_back('.');
    out.push_back(static_cast<char>('0' + part / 10));
    out.push_back(static_cast<char>('0' + part % 10));
    return out;
}

}  // namespace

void ProductRecord::setField(int index, std::string_view value)
{
    switch (index) {
    case 0: productId = value; break;
    case 1: name = value; break;
    case 2: price = value; break;
    case 3: text3 = value; break;
    case 4: description = value; break;
    case 5: information = value; break;
    case 6: categories = value; break;
    case 7: hidden = value; break;
    case 8: text8 = value; break;
    case 9: text9 = value; break;
    case 10: text10 = value; break;
    case 11: text11 = value; break;
    case 12: salePrice = value; break;
    case 13: text13 = value; break;
    case 14: cartCode = value; break;
    case 15: text15 = value; break;
    case 16: supportLink = value; break;
    case 17: text17 = value; break;
    case 18: offer = value; break;
    default: break;
    }
}

std::string_view ProductRecord::field(int index) const
{
    switch (index) {
    case 0: return productId;
    case 1: return name;
    case 2: return price;
    case 3: return text3;
    case 4: return description;
    case 5: return information;
    case 6: return categories;
    case 7: return hidden;
    case 8: return text8;
    case 9: return text9;
    case 10: return text10;
    case 11: return text11;
    case 12: return salePrice;
    case 13: return text13;
    case 14: return cartCode;
    case 15: return text15;
    case 16: return supportLink;
    case 17: return text17;
    case 18: return offer;
    default: return {};
    }
}

int parseCatalogReply(std::string_view reply, Catalog& catalog, std::string& header)
{
    // Emptied whatever the reply turns out to be.
    catalog.catalogRecords.clear();

    if (startsWith(reply, token::kWebPage))
        return -3;
    if (reply == token::kVersionRefused)
        return -2;
    if (startsWith(reply, token::kError1) || reply.empty())
        return 0;

    const FieldList rows = splitFields(reply, kRowSeparator);
    for (std::size_t row = 1; row < rows.size(); ++row) {
        const FieldList fields = splitFields(rows[row], kFieldSeparator);
        if (fields.size() < static_cast<std::size_t>(ProductRecord::kFieldCount))
            continue;  // not a product row; indexing it would read past its fields
        ProductRecord& record = catalog.catalogRecords.emplace_back();
        for (int i = 0; i < ProductRecord::kFieldCount; ++i)
            record.setField(i, fields[static_cast<std::size_t>(i)]);
    }
    catalog.catalogLoaded = true;
    header = rows.front().substr(0, kCatalogHeaderMax);
    return static_cast<int>(catalog.catalogRecords.size());
}

int fetchCatalog(const Deployment& deployment, const Session& session, Catalog& catalog,
                 std::string& header)
{
    if (!session.storeReady)
        return -1;
    try {
        StoreRequest request(deployment);
        request.body = RequestBody("action=catalog&vendorid=")
                           .add(session.vendorId, kProtocolVersionPairs, "&channel=", "0",
                                "&productid=")
                           .text();
        request.setUrl(deployment.storeUrl(script::kPurchase));
        request.secure = 1;
        request.send();
        return parseCatalogReply(std::string_view(request.reply).substr(0, static_cast<std::size_t>(request.replyBytes)),
                                 catalog, header);
    } catch (const std::exception&) {
        return -1;
    }
}

int getProduct(const Catalog& catalog, int index, ProductRecord& out)
{
    if (!catalog.catalogLoaded || index < 0 ||
        static_cast<std::size_t>(index) >= catalog.catalogRecords.size())
        return -1;
    out = catalog.catalogRecords[static_cast<std::size_t>(index)];
    return 1;
}

std::string discountedPrice(std::string_view priceText, int percent)
{
    const Decimal price = readDecimal(priceText);
    const std::int64_t remaining = 100 - static_cast<std::int64_t>(percent);
    // Cents = mantissa * remaining / scale, rounded half up: floor((2 * m * r + scale) / (2 * scale)).
    // Exact in integers, so 29.95 at 20 percent off is 23.96 and 1.005 rounds up.
    const std::int64_t limit = std::numeric_limits<std::int64_t>::max() / 4;
    const std::int64_t absM = price.mantissa < 0 ? -price.mantissa : price.mantissa;
    const std::int64_t absR = remaining < 0 ? -remaining : remaining;
    if (absR == 0 || absM <= limit / absR) {
        const std::int64_t numerator = 2 * price.mantissa * remaining + price.scale;
        return centsText(floorDiv(numerator, 2 * price.scale));
    }
    const long double value = static_cast<long double>(price.mantissa) / price.scale;
    const long double cents = std::floor(value * remaining + 0.5L);
    return centsText(static_cast<std::int64_t>(cents));
}

int findProductPrice(const Catalog& catalog, std::string_view productId, int percent,
                     ProductPrice& out)
{
    for (std::size_t i = 0; i < catalog.catalogRecords.size(); ++i) {
        const ProductRecord& record = catalog.catalogRecords[i];
        if (record.productId.str() != productId || record.hidden.str() != "No")
            continue;
        out.name = record.name.str();
        out.price = record.price.str();
        out.discountedPrice = percent <= 0 ? record.price.str() : discountedPrice(record.price, percent);
        return static_cast<int>(i);
    }
    return -1;
}

}  // namespace qk
