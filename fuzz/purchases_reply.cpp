// The purchases reply: "|"-separated records, "*"-separated fields, then order lookups
// by the product ids the reply itself names (and a few it does not).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "account/session.h"
#include "platform/settings_store.h"
#include "store/purchases.h"
#include "store/reply.h"

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

// "Error:1" deletes the saved login, so the settings live in a folder of their own,
// made once for the whole run.
qk::SettingsStore& settings()
{
    static qk::SettingsStore store([] {
        char folder[] = "/tmp/qk-fuzz-purchases.XXXXXX";
        check(mkdtemp(folder) != nullptr);
        return std::filesystem::path(folder);
    }());
    return store;
}

void lookUp(const qk::Purchases& purchases, std::string_view productId, int orders)
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
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    qk::Session session;
    session.email = "pilot@tovrin.example";
    session.password = "skylane182";
    qk::Purchases purchases;
    const int result = qk::applyPurchasesReply(reply, session, purchases, settings());
    check(result >= -4);
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
    while (records.next(record)) {
        if (!first && !record.empty())
            record.remove_prefix(1);  // the order marker
        first = false;
        lookUp(purchases, record.substr(0, record.find('*')), result);
    }
    for (std::size_t i = 0; i <= purchases.rowCount(); ++i)
        check(purchases.row(i).size() <= reply.size());
    lookUp(purchases, "no-such-product", result);
    return 0;
}
