#pragma once
// The logged-in customer's purchases: the purchases request is the agent's login.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "store/session.h"
#include "platform/deployment.h"

namespace qk {

class SettingsStore;

// The purchases reply as the agent keeps it: the text once, its records located in it,
// and each product's first owning order found through an index, so an ownership lookup
// costs the same for one order as for thousands.
class Purchases {
public:
    bool purchasesLoaded = false;

    // Takes a reply split at "|": record 0 the header, records 1… the orders. With
    // `ordersMarked` each order record comes with one leading marker, which is dropped.
    void assign(std::string reply, bool ordersMarked);
    // Appends one order record as kept (without its marker).
    void addOrder(std::string_view record);
    void clear();

    // Records of the last reply, the header included.
    [[nodiscard]] std::size_t rowCount() const { return rowCount_; }
    // Record `index` as kept; "" for an empty one or beyond the last.
    [[nodiscard]] std::string_view row(std::size_t index) const;
    // The first order record that owns the product (identifier compared without regard to
    // ASCII case; a "VOUCHER" order does not own, nor does a record too short to name its
    // files and version); nullopt when none does.
    [[nodiscard]] std::optional<std::string_view> owningOrder(std::string_view productId) const;

private:
    struct Record {
        std::uint32_t row;
        std::uint32_t offset;
        std::uint32_t length;
    };
    void keep(std::uint32_t row, std::size_t offset, std::size_t length);
    [[nodiscard]] std::string_view text(const Record& record) const;

    std::string text_;
    std::vector<Record> records_;  // the non-empty records, in order
    std::size_t rowCount_ = 0;
    std::unordered_map<std::string, std::uint32_t> owning_;  // lower-case id -> records_ index
};

// Number of order records (>= 0) on "success"; 0 on "Error: 2"; -1 store not ready;
// -2 email shorter than 6 or password shorter than 8 (nothing sent); -3 login rejected
// ("Error:1": the saved login is deleted and the session's email and password emptied);
// -4 any other reply; -6 unexpected failure.
int fetchPurchases(const Deployment& deployment, Session& session, Purchases& purchases,
                   SettingsStore& settings);

// What a purchases reply says, without touching the settings: the same results as
// applyPurchasesReply, whose only other work is deleting the saved login on -3.
int parsePurchasesReply(std::string_view reply, Session& session, Purchases& purchases);

// The reply half of fetchPurchases, for a reply already read (same results from -3 on).
int applyPurchasesReply(std::string_view reply, Session& session, Purchases& purchases,
                        SettingsStore& settings);

// 1 when an order owns the product (Purchases::owningOrder); that whole order record is
// copied into `record` (when given), cut to bufferSize - 1 bytes. 0 when not, and always
// in gift mode; -1 while no purchases are loaded; -2 for an empty identifier.
int findOrder(const Purchases& purchases, bool giftMode, std::string_view productId,
              std::string* record = nullptr, std::size_t bufferSize = 500);

int orderCount(const Purchases& purchases);

}  // namespace qk
