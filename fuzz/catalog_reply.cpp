// The catalog reply: rows split on 0x02, fields on 0x01, then the offer and price
// helpers on the fields of every record kept.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "store/catalog.h"

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

    for (const qk::ProductRecord& record : catalog.catalogRecords) {
        for (int i = 0; i < qk::ProductRecord::kFieldCount; ++i)
            check(record.field(i).find('\0') == std::string_view::npos);
        const qk::ProductOffer offer = qk::readOffer(record.offer);
        check(offer.percent <= 100 && offer.percent >= -100000);
        for (const int percent : {offer.percent, 0, 20, 100, 101, -100000}) {
            check(isCentsText(qk::discountedPrice(record.price, percent)));
            check(isCentsText(qk::discountedPrice(record.salePrice, percent)));
        }
        qk::ProductPrice price;
        const int index = qk::findProductPrice(catalog, record.productId, offer.percent, price);
        check(index < static_cast<int>(catalog.catalogRecords.size()));
        qk::ProductRecord copy;
        check(qk::getProduct(catalog, 0, copy) == 1);
    }
    return 0;
}
