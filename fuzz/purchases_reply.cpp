// The purchases reply: "|"-separated records, "*"-separated fields, then order lookups
// by the product ids the reply itself names (and a few it does not), and the order
// records found read as the detail panel reads them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <algorithm>
#include <string>
#include <string_view>

#include "store/session.h"
#include "store/order_record.h"
#include "store/purchases.h"
#include "store/reply.h"
#include "max_len.h"
#include "check.h"

namespace {

using qk::fuzz::check;

// An owned product's order record as the detail panel reads it: fields by position,
// and for a multi-file order the "name:size" entries of its file list.
void readOrder(std::string_view record)
{
    qk::OrderFields fields;
    fields.fill("unset");
    qk::readOrderRecord(record, fields);
    std::string_view rest = record;
    for (const std::string& field : fields) {
        if (rest.data() == nullptr) {
            check(field == "unset");  // a field the record lacks keeps what it held
            continue;
        }
        const std::size_t star = rest.find('*');
        check(field == rest.substr(0, star));
        rest = star == std::string_view::npos ? std::string_view() : rest.substr(star + 1);
    }

    const std::string& files = fields[2];
    const qk::OrderFileList list = qk::readOrderFileList(files);
    check(list.size() == static_cast<std::size_t>(std::count(files.begin(), files.end(), '/')) + 1);
    std::string joined;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const auto& [name, size] = list[i];
        check(name.find_first_of("/:") == std::string::npos && size.find('/') == std::string::npos);
        if (i > 0)
            joined += '/';
        joined += name;
        if (!size.empty())
            joined += ":" + size;
    }
    // Only a colon with nothing after it is lost in the reading.
    if (files.find(":/") == std::string::npos && !files.ends_with(':'))
        check(joined == files);
}

void lookUp(const qk::Purchases& purchases, std::string_view productId, int orders, int& ordersRead)
{
    std::string record;
    const int found = qk::findOrder(purchases, false, productId, &record, 500);
    check(found >= -2 && found <= 1);
    // A reply that lists no orders leaves nothing owned.
    if (orders == 0)
        check(found != 1);
    if (found != 1)
        return;
    check(record.size() <= 499);
    // The owning record names the product first, compared without ASCII case.
    const std::string_view owner = std::string_view(record).substr(0, record.find('*'));
    if (owner.size() < record.size() || record.size() < 499)
        check(qk::toLower(owner) == qk::toLower(productId));
    check(qk::findOrder(purchases, true, productId) == 0);
    // Each order record is read on its own: the first few reach all the reading does.
    if (ordersRead++ < 4)
        readOrder(record);
}

}  // namespace

// An order record is found into a 500-byte buffer: 2 KiB holds a record past it and
// several others.
QK_FUZZ_MAX_LEN(2048)

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    qk::Session session;
    session.email = "pilot@tovrin.example";
    session.password = "skylane182";
    qk::Purchases purchases;
    const int result = qk::parsePurchasesReply(reply, session, purchases);
    check(result >= -4);
    // A refused login leaves nothing of it in the session.
    if (result == -3)
        check(session.email.empty() && session.password.empty());
    if (result >= 0)
        check(result == qk::orderCount(purchases));
    if (!purchases.purchasesLoaded) {
        check(qk::findOrder(purchases, false, "x") == -1);
        return 0;
    }
    check(qk::findOrder(purchases, false, "") == -2);

    qk::FieldReader records(reply, '|');
    std::string_view record;
    bool first = true;
    int ordersRead = 0;
    while (records.next(record)) {
        if (!first && !record.empty())
            record.remove_prefix(1);  // the order marker
        first = false;
        lookUp(purchases, record.substr(0, record.find('*')), result, ordersRead);
    }
    for (std::size_t i = 0; i <= purchases.rowCount(); ++i)
        check(purchases.row(i).size() <= reply.size());
    lookUp(purchases, "no-such-product", result, ordersRead);
    return 0;
}
