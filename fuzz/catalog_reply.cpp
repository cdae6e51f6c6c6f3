// The catalog reply: rows split on 0x02, fields on 0x01, then the offer and price
// helpers on the fields of every record kept.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "store/catalog.h"
#include "store/reply.h"

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

// "-"? digits "." two digits, at least one digit before the point.
bool isCentsText(std::string_view text)
{
    if (!text.empty() && text.front() == '-')
        text.remove_prefix(1);
    if (text.size() < 4 || text[text.size() - 3] != '.')
        return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (i != text.size() - 3 && (text[i] < '0' || text[i] > '9'))
            return false;
    return true;
}

// The same price worked out in 128-bit integers, for texts short enough to fit:
// blanks, a sign, digits with at most one point; nothing when the text is too long.
std::optional<std::string> referencePrice(std::string_view text, int percent)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    __int128 value = 0;
    int fraction = 0;
    int digits = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (text[i] == '.' && !point) {
            point = true;
            continue;
        }
        if (text[i] < '0' || text[i] > '9')
            break;
        if (++digits > 24)
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
        fraction += point;
    }
    if (negative)
        value = -value;
    // cents = value / 10^fraction * (100 - percent) / 100 * 100, half up: floor(x + 1/2).
    __int128 denominator = 1;
    for (int k = 0; k < fraction; ++k)
        denominator *= 10;
    const __int128 numerator = value * (100 - static_cast<__int128>(percent));
    __int128 twice = 2 * numerator + denominator;
    __int128 cents = twice / (2 * denominator);
    if (twice % (2 * denominator) != 0 && twice < 0)
        --cents;  // floor, not truncation
    const bool below = cents < 0;
    unsigned __int128 magnitude = below ? static_cast<unsigned __int128>(-cents) : static_cast<unsigned __int128>(cents);
    std::string out;
    do {
        out.insert(out.begin(), static_cast<char>('0' + static_cast<int>(magnitude % 10)));
        magnitude /= 10;
    } while (magnitude > 0);
    if (out.size() < 3)
        out.insert(0, 3 - out.size(), '0');
    out.insert(out.size() - 2, 1, '.');
    return below ? "-" + out : out;
}

// How many bytes field `index` keeps.
std::size_t fieldWidth(int index)
{
    static const auto widths = [] {
        std::array<std::size_t, qk::ProductRecord::kFieldCount> all{};
        qk::ProductRecord probe;
        for (int i = 0; i < qk::ProductRecord::kFieldCount; ++i) {
            probe.setField(i, std::string(20000, 'x'));
            all[static_cast<std::size_t>(i)] = probe.field(i).size();
        }
        return all;
    }();
    return widths[static_cast<std::size_t>(index)];
}

void checkPrice(std::string_view text, int percent)
{
    const std::string price = qk::discountedPrice(text, percent);
    check(isCentsText(price));
    if (const auto expected = referencePrice(text, percent))
        check(price == *expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    qk::Catalog catalog;
    std::string header;
    const int result = qk::parseCatalogReply(reply, catalog, header);
    check(result >= -3);
    check(header.size() <= qk::kCatalogHeaderMax);
    if (result > 0)
        check(static_cast<std::size_t>(result) == catalog.catalogRecords.size() && catalog.catalogLoaded);

    // Every row after the header with at least 19 fields is kept, in order, each field
    // cut at a NUL and to its width.
    if (result >= 0 && !catalog.catalogRecords.empty()) {
        const qk::FieldList rows = qk::splitFields(reply, '\x02');
        std::size_t kept = 0;
        for (std::size_t r = 1; r < rows.size(); ++r) {
            const qk::FieldList fields = qk::splitFields(rows[r], '\x01');
            if (fields.size() < qk::ProductRecord::kFieldCount)
                continue;
            check(kept < catalog.catalogRecords.size());
            const qk::ProductRecord& record = catalog.catalogRecords[kept++];
            for (int i = 0; i < qk::ProductRecord::kFieldCount; ++i) {
                const std::string_view field = std::string_view(fields[i]).substr(0, fields[i].find('\0'));
                check(record.field(i) == field.substr(0, fieldWidth(i)));
            }
        }
        check(kept == catalog.catalogRecords.size());
    }

    for (const qk::ProductRecord& record : catalog.catalogRecords) {
        for (int i = 0; i < qk::ProductRecord::kFieldCount; ++i)
            check(record.field(i).find('\0') == std::string_view::npos);
        const qk::ProductOffer offer = qk::readOffer(record.offer);
        check(offer.percent <= 100 && offer.percent >= -100000);
        for (const int percent : {offer.percent, 0, 20, 100, 101, -100000}) {
            checkPrice(record.price, percent);
            checkPrice(record.salePrice, percent);
            checkPrice(record.text13, percent);
        }
        qk::ProductPrice price;
        const int index = qk::findProductPrice(catalog, record.productId, offer.percent, price);
        check(index < static_cast<int>(catalog.catalogRecords.size()));
        qk::ProductRecord copy;
        check(qk::getProduct(catalog, 0, copy) == 1);
    }
    return 0;
}
