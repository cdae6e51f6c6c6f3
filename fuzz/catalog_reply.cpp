// The catalog reply: rows split on 0x02, fields on 0x01, then the offer and price
// helpers on the fields of every record kept.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "store/catalog.h"
#include "store/reply.h"
#include "max_len.h"
#include "check.h"

namespace {

using qk::fuzz::check;

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

// Every field but the description (15000 bytes, out of reach of any short input) is at
// most 255 bytes wide: 2 KiB holds a header and rows with fields past their widths.
QK_FUZZ_MAX_LEN(2048)

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
        // Rows and fields located by plain searching, as views: no copy of the reply.
        std::string_view rest = reply.substr(std::min(reply.size(), reply.find('\x02')));
        std::size_t kept = 0;
        while (!rest.empty()) {
            rest.remove_prefix(1);  // the row separator
            const std::string_view row = rest.substr(0, rest.find('\x02'));
            rest.remove_prefix(row.size());
            std::string_view fields[qk::ProductRecord::kFieldCount];
            std::size_t count = 0;
            for (std::size_t start = 0; count < std::size(fields) && start <= row.size(); ++count) {
                const std::size_t end = std::min(row.size(), row.find('\x01', start));
                fields[count] = row.substr(start, end - start);
                start = end + 1;
            }
            if (count < std::size(fields))
                continue;
            check(kept < catalog.catalogRecords.size());
            const qk::ProductRecord& record = catalog.catalogRecords[kept++];
            for (int i = 0; i < qk::ProductRecord::kFieldCount; ++i) {
                const std::string_view field = fields[i].substr(0, fields[i].find('\0'));
                check(record.field(i) == field.substr(0, fieldWidth(i)));
            }
        }
        check(kept == catalog.catalogRecords.size());
    }

    // The price and offer helpers read one record at a time, and the few bytes of its
    // price fields: the first records reach all they do, the later ones only repeat it
    // (and, looked up one by one, would cost the square of the row count per input).
    constexpr std::size_t kPricedRecords = 2;
    for (std::size_t r = 0; r < catalog.catalogRecords.size(); ++r) {
        const qk::ProductRecord& record = catalog.catalogRecords[r];
        for (int i = 0; i < qk::ProductRecord::kFieldCount; ++i)
            check(record.field(i).find('\0') == std::string_view::npos);
        if (r >= kPricedRecords)
            continue;
        const qk::ProductOffer offer = qk::readOffer(record.offer());
        check(offer.percent <= 100 && offer.percent >= -100000);
        for (const int percent : {offer.percent, 0, 20, 100, 101, -100000}) {
            checkPrice(record.price(), percent);
            checkPrice(record.salePrice(), percent);
            checkPrice(record.field(qk::ProductRecord::kText13), percent);
        }
        qk::ProductPrice price;
        const int index = qk::findProductPrice(catalog, record.productId(), offer.percent, price);
        check(index < static_cast<int>(catalog.catalogRecords.size()));
        qk::ProductRecord copy;
        check(qk::getProduct(catalog, 0, copy) == 1);
    }
    return 0;
}
