#pragma once
// The logged-in customer's purchases: the purchases request is the agent's login.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "account/session.h"
#include "platform/deployment.h"

namespace qk {

class SettingsStore;

struct Purchases {
    // Reply split at "|": element 0 the header record, 1… the order records
    // (each with its leading character removed).
    std::vector<std::string> purchaseRows;
    bool purchasesLoaded = false;
};

// Number of order records (>= 0) on "success"; 0 on "Error: 2"; -1 store not ready;
// -2 email shorter than 6 or password shorter than 8 (nothing sent); -3 login rejected
// ("Error:1": the saved login is deleted and the session's email and password emptied);
// -4 any other reply; -6 unexpected failure.
int fetchPurchases(const Deployment& deployment, Session& session, Purchases& purchases,
                   SettingsStore& settings);

// The reply half of fetchPurchases, for a reply already read (same results from -3 on).
int applyPurchasesReply(std::string_view reply, Session& session, Purchases& purchases,
                        SettingsStore& settings);

// 1 when an order (not a "VOUCHER") for the product exists; the whole order record is
// copied into `record` (when given), cut to bufferSize - 1 bytes. 0 when not, and always
// in gift mode; -1 while no purchases are loaded; -2 for an empty identifier.
int findOrder(const Purchases& purchases, bool giftMode, std::string_view productId,
              std::string* record = nullptr, std::size_t bufferSize = 500);

int orderCount(const Purchases& purchases);

}  // namespace qk
