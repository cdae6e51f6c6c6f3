#include "store/purchases.h"

#include <exception>

#include "store/credentials.h"
#include "store/reply.h"
#include "store/store_request.h"

namespace qk {
namespace {

constexpr char kRecordSeparator = '|';
constexpr char kFieldSeparator = '*';
constexpr std::string_view kVoucher = "VOUCHER";

// Header fields 1, 3 and 4: the customer's name, tax rate and verified flag. A header
// cut short leaves the missing values empty rather than reading past its fields.
void takeHeader(std::string_view headerText, Session& session)
{
    const FieldList header = splitFields(headerText, kFieldSeparator);
    const auto fieldOrEmpty = [&header](std::size_t i) {
        return i < header.size() ? header[i] : std::string();
    };
    session.customerName = fieldOrEmpty(1);
    session.taxRate = fieldOrEmpty(3);
    if (fieldOrEmpty(4) == "1")
        session.accountVerified = 1;
}

}  // namespace

int applyPurchasesReply(std::string_view reply, Session& session, Purchases& purchases,
                        SettingsStore& settings)
{
    purchases.purchaseRows = splitFields(reply, kRecordSeparator);
    std::vector<std::string>& rows = purchases.purchaseRows;

    if (startsWith(rows.front(), token::kSuccess)) {
        purchases.purchasesLoaded = true;
        takeHeader(rows.front(), session);
        for (std::size_t i = 1; i < rows.size(); ++i) {
            if (!rows[i].empty())
                rows[i].erase(0, 1);  // each order record comes with one leading marker
        }
        return static_cast<int>(rows.size()) - 1;
    }
    if (startsWith(reply, token::kError1)) {
        deleteCredentials(settings);
        session.email.clear();
        session.password.clear();
        return -3;
    }
    if (startsWith(reply, token::kNothingToList)) {
        takeHeader(reply, session);
        purchases.purchasesLoaded = true;
        return 0;
    }
    return -4;
}

int fetchPurchases(const Deployment& deployment, Session& session, Purchases& purchases,
                   SettingsStore& settings)
{
    if (!session.storeReady)
        return -1;
    if (!session.hasUsableLogin())
        return -2;
    try {
        purchases.purchasesLoaded = false;
        StoreRequest request(deployment);
        // The password travels as it stands: the store reads it unescaped.
        request.body = RequestBody("action=getpurchases")
                           .add(kProtocolVersionPairs, "&email=", session.email, "&password=",
                                session.password, "&vendorid=", session.vendorId)
                           .text();
        request.setUrl(deployment.storeUrl(script::kPurchase));
        request.secure = 1;
        request.send();
        return applyPurchasesReply(request.reply, session, purchases, settings);
    } catch (const std::exception&) {
        return -6;
    }
}

int findOrder(const Purchases& purchases, bool giftMode, std::string_view productId,
              std::string* record, std::size_t bufferSize)
{
    if (!purchases.purchasesLoaded)
        return -1;
    if (productId.empty())
        return -2;
    if (giftMode)
        return 0;  // a gift can be bought whatever the customer owns
    const std::string wanted = toLower(productId);
    for (std::size_t i = 1; i < purchases.purchaseRows.size(); ++i) {
        const std::string& order = purchases.purchaseRows[i];
        const FieldList fields = splitFields(order, kFieldSeparator);
        if (toLower(fields[0]) != wanted)
            continue;
        if (fields.size() > 2 && fields[2] == kVoucher)
            continue;
        if (record)
            *record = order.substr(0, bufferSize > 0 ? bufferSize - 1 : 0);
        return 1;
    }
    return 0;
}

int orderCount(const Purchases& purchases)
{
    return purchases.purchaseRows.empty() ? 0 : static_cast<int>(purchases.purchaseRows.size()) - 1;
}

}  // namespace qk
