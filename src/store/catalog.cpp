#include "store/catalog.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "store/reply.h"
#include "store/store_request.h"

namespace qk {
namespace {

constexpr char kRowSeparator = '\x02';
constexpr char kFieldSeparator = '\x01';

// A decimal text as its digits, read the way the C library's number reader does:
// leading blanks, a sign, digits, a point, digits; the rest ignored. Kept as text, so
// a price of any length and any number of decimals is computed exactly.
struct Decimal {
    bool negative = false;
    std::string digits;              // integer then fraction digits, no leading zeros
    std::size_t fractionDigits = 0;  // how many of the digits follow the point
};

Decimal readDecimal(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    Decimal d;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        d.negative = text[i++] == '-';
    bool fraction = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.' && !fraction) {
            fraction = true;
            continue;
        }
        if (c < '0' || c > '9')
            break;
        if (fraction)
            ++d.fractionDigits;
        d.digits.push_back(c);
    }
    const std::size_t firstNonZero = d.digits.find_first_not_of('0');
    d.digits.erase(0, firstNonZero == std::string::npos ? d.digits.size() : firstNonZero);
    return d;
}

// Decimal digits (most significant first) times a factor.
std::string timesFactor(const std::string& digits, std::uint64_t factor)
{
    std::string product;
    product.reserve(digits.size() + 20);
    std::uint64_t carry = 0;  // < factor, so digit * factor + carry stays far below 2^64
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        const std::uint64_t v = static_cast<std::uint64_t>(*it - '0') * factor + carry;
        product.push_back(static_cast<char>('0' + v % 10));
        carry = v / 10;
    }
    for (; carry > 0; carry /= 10)
        product.push_back(static_cast<char>('0' + carry % 10));
    return {product.rbegin(), product.rend()};
}

// Adds one to a text of decimal digits.
void increment(std::string& digits)
{
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    digits.insert(digits.begin(), '1');
}

// Whole cents as "123.45" (at least one digit before the point).
std::string centsText(bool negative, std::string cents)
{
    const std::size_t firstNonZero = cents.find_first_not_of('0');
    if (firstNonZero == std::string::npos)
        return "0.00";
    cents.erase(0, firstNonZero);
    if (cents.size() < 3)
        cents.insert(0, 3 - cents.size(), '0');
    cents.insert(cents.size() - 2, 1, '.');
    return negative ? "-" + cents : cents;
}

}  // namespace

namespace {

constexpr bool lengthsFitTheirBytes()
{
    for (int i = 0; i < ProductRecord::kFieldCount; ++i)
        if (i != ProductRecord::kDescription && ProductRecord::kWidths[i] - 1 > 0xFF)
            return false;
    return true;
}
static_assert(lengthsFitTheirBytes(), "every field but the description fits a one-byte length");

}  // namespace

ProductRecord::ProductRecord(const ProductRecord& other)
{
    if (other.block_) {
        const std::size_t size = other.blockSize();
        block_ = std::make_unique_for_overwrite<unsigned char[]>(size);
        std::memcpy(block_.get(), other.block_.get(), size);
    }
}

ProductRecord& ProductRecord::operator=(const ProductRecord& other)
{
    if (this != &other)
        *this = ProductRecord(other);
    return *this;
}

std::size_t ProductRecord::length(int index) const
{
    // The description's second byte sits at the end of the one-byte lengths.
    const unsigned char* lengths = block_.get();
    if (index == kDescription)
        return lengths[kDescription] | (static_cast<std::size_t>(lengths[kFieldCount]) << 8);
    return lengths[index];
}

std::size_t ProductRecord::blockSize() const
{
    std::size_t size = kLengthBytes;
    for (int i = 0; i < kFieldCount; ++i)
        size += length(i);
    return size;
}

void ProductRecord::assign(const std::string_view (&fields)[kFieldCount])
{
    std::string_view cut[kFieldCount];
    std::size_t textBytes = 0;
    for (int i = 0; i < kFieldCount; ++i) {
        cut[i] = cutToField(fields[i], kWidths[i]);
        textBytes += cut[i].size();
    }
    if (textBytes == 0) {
        block_.reset();
        return;
    }
    // Built in a new block first: the fields may be views into the current one.
    auto block = std::make_unique_for_overwrite<unsigned char[]>(kLengthBytes + textBytes);
    unsigned char* text = block.get() + kLengthBytes;
    for (int i = 0; i < kFieldCount; ++i) {
        block[i] = static_cast<unsigned char>(cut[i].size() & 0xFF);
        if (!cut[i].empty())
            std::memcpy(text, cut[i].data(), cut[i].size());
        text += cut[i].size();
    }
    block[kFieldCount] = static_cast<unsigned char>(cut[kDescription].size() >> 8);
    block_ = std::move(block);
}

void ProductRecord::setField(int index, std::string_view value)
{
    if (index < 0 || index >= kFieldCount)
        return;
    std::string_view fields[kFieldCount];
    for (int i = 0; i < kFieldCount; ++i)
        fields[i] = i == index ? value : field(i);
    assign(fields);
}

std::string_view ProductRecord::field(int index) const
{
    if (!block_ || index < 0 || index >= kFieldCount)
        return {};
    std::size_t offset = kLengthBytes;
    for (int i = 0; i < index; ++i)
        offset += length(i);
    return {reinterpret_cast<const char*>(block_.get()) + offset, length(index)};
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

    // Walked in place: each field is copied once, into its record, and only when the
    // row is a product row.
    // Room for every product row at once, so a large catalog is not moved record by
    // record as the table grows (and a reply of bare separators reserves nothing).
    std::size_t productRows = 0;
    std::size_t separators = 0;
    for (std::size_t i = reply.find(kRowSeparator); i < reply.size(); ++i) {
        if (reply[i] == kRowSeparator) {
            separators = 0;
        } else if (reply[i] == kFieldSeparator && ++separators == ProductRecord::kFieldCount - 1) {
            ++productRows;
        }
    }
    catalog.catalogRecords.reserve(productRows);
    FieldReader rows(reply, kRowSeparator);
    std::string_view row;
    rows.next(row);
    header = std::string(row.substr(0, kCatalogHeaderMax));
    std::string_view fields[ProductRecord::kFieldCount];
    while (rows.next(row)) {
        FieldReader reader(row, kFieldSeparator);
        int count = 0;
        while (count < ProductRecord::kFieldCount && reader.next(fields[count]))
            ++count;
        if (count < ProductRecord::kFieldCount)
            continue;  // not a product row; indexing it would read past its fields
        catalog.catalogRecords.emplace_back().assign(fields);
    }
    catalog.catalogLoaded = true;
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
    // Cents = price * (100 - percent), rounded half up: exact digit arithmetic, so 29.95
    // at 20 percent off is 23.96, 1.005 rounds up, and no price or percent can overflow.
    const Decimal price = readDecimal(priceText);
    const std::int64_t remaining = 100 - static_cast<std::int64_t>(percent);
    if (price.digits.empty() || remaining == 0)
        return "0.00";
    const bool negative = price.negative != (remaining < 0);
    const std::string product =
        timesFactor(price.digits, static_cast<std::uint64_t>(remaining < 0 ? -remaining : remaining));

    // The product has price.fractionDigits decimals below the cent.
    const std::size_t below = price.fractionDigits;
    std::string cents = product.size() > below ? product.substr(0, product.size() - below) : std::string();
    std::string rest = product.size() > below ? product.substr(product.size() - below)
                                              : std::string(below - product.size(), '0') + product;
    // Half up: towards the larger number, so a negative half cent rounds towards zero.
    bool up = false;
    if (!rest.empty()) {
        if (!negative)
            up = rest[0] >= '5';
        else
            up = rest[0] > '5' || (rest[0] == '5' && rest.find_first_not_of('0', 1) != std::string::npos);
    }
    if (up)
        increment(cents);
    return centsText(negative, std::move(cents));
}

ProductOffer readOffer(std::string_view field)
{
    constexpr long kMaxPercent = 100;
    constexpr long kMinPercent = -100000;
    const FieldList parts = splitFields(field, '|');
    ProductOffer offer;
    offer.percentText = parts[0];
    const long percent = std::strtol(offer.percentText.c_str(), nullptr, 10);
    if (percent > kMaxPercent)
        return {};
    offer.percent = static_cast<int>(percent < kMinPercent ? kMinPercent : percent);
    if (parts.size() > 1)
        offer.target = parts[1];
    return offer;
}

int findProductPrice(const Catalog& catalog, std::string_view productId, int percent,
                     ProductPrice& out)
{
    for (std::size_t i = 0; i < catalog.catalogRecords.size(); ++i) {
        const ProductRecord& record = catalog.catalogRecords[i];
        if (record.productId() != productId || record.hidden() != "No")
            continue;
        out.name = record.name();
        out.price = record.price();
        out.discountedPrice = percent <= 0 ? std::string(record.price()) : discountedPrice(record.price(), percent);
        return static_cast<int>(i);
    }
    return -1;
}

}  // namespace qk
