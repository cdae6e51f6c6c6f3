#include "store/purchases.h"

#include <algorithm>
#include <exception>
#include <limits>

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
    std::string_view fields[5];
    FieldReader reader(headerText, kFieldSeparator);
    for (std::string_view& field : fields)
        if (!reader.next(field))
            break;
    session.customerName = std::string(fields[1]);
    session.taxRate = std::string(fields[3]);
    if (fields[4] == "1")
        session.accountVerified = 1;
}

// Fields an order record needs before it can own its product: product id, name, files
// and version.
constexpr std::size_t kUsableOrderFields = 4;

}  // namespace

void Purchases::assign(std::string reply, bool ordersMarked)
{
    clear();
    text_ = std::move(reply);
    // Records are located by 32-bit offsets; store replies are capped far below that.
    if (text_.size() > std::numeric_limits<std::uint32_t>::max())
        text_.resize(std::numeric_limits<std::uint32_t>::max());
    FieldReader reader(text_, kRecordSeparator);
    std::string_view record;
    std::uint32_t row = 0;
    while (reader.next(record)) {
        std::size_t offset = static_cast<std::size_t>(record.data() - text_.data());
        std::size_t length = record.size();
        if (row > 0 && ordersMarked && length > 0) {
            ++offset;  // each order record comes with one leading marker
            --length;
        }
        keep(row, offset, length);
        ++row;
    }
    rowCount_ = row;
}

void Purchases::addOrder(std::string_view record)
{
    const std::size_t offset = text_.size();
    text_.append(record);
    keep(static_cast<std::uint32_t>(rowCount_), offset, record.size());
    ++rowCount_;
}

void Purchases::clear()
{
    text_.clear();
    records_.clear();
    owning_.clear();
    rowCount_ = 0;
}

void Purchases::keep(std::uint32_t row, std::size_t offset, std::size_t length)
{
    if (length == 0)
        return;  // an empty record owns nothing and reads as ""
    records_.push_back({row, static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(length)});
    if (row == 0)
        return;
    std::string_view fields[kUsableOrderFields];
    std::size_t count = 0;
    FieldReader reader(text(records_.back()), kFieldSeparator);
    while (count < kUsableOrderFields && reader.next(fields[count]))
        ++count;
    if (count < kUsableOrderFields || fields[2] == kVoucher)
        return;
    // The first order of a product is the one that counts.
    owning_.emplace(toLower(fields[0]), static_cast<std::uint32_t>(records_.size() - 1));
}

std::string_view Purchases::text(const Record& record) const
{
    return std::string_view(text_).substr(record.offset, record.length);
}

std::string_view Purchases::row(std::size_t index) const
{
    const auto found = std::lower_bound(records_.begin(), records_.end(), index,
                                        [](const Record& r, std::size_t i) { return r.row < i; });
    return found != records_.end() && found->row == index ? text(*found) : std::string_view();
}

std::optional<std::string_view> Purchases::owningOrder(std::string_view productId) const
{
    const auto found = owning_.find(toLower(productId));
    if (found == owning_.end())
        return std::nullopt;
    return text(records_[found->second]);
}

int parsePurchasesReply(std::string_view reply, Session& session, Purchases& purchases)
{
    const bool success = startsWith(reply, token::kSuccess);
    // Only a success reply lists orders. Kept from any other reply ("Error: 2" with
    // records after its header), text would count as orders the store said do not exist.
    if (success)
        purchases.assign(std::string(reply), true);
    else
        purchases.clear();

    if (success) {
        purchases.purchasesLoaded = true;
        takeHeader(purchases.row(0), session);
        return static_cast<int>(purchases.rowCount()) - 1;
    }
    if (startsWith(reply, token::kError1)) {
        session.email.clear();
        wipeText(session.password);
        return -3;
    }
    if (startsWith(reply, token::kNothingToList)) {
        takeHeader(reply, session);
        purchases.purchasesLoaded = true;
        return 0;
    }
    return -4;
}

int applyPurchasesReply(std::string_view reply, Session& session, Purchases& purchases,
                        SettingsStore& settings)
{
    const int result = parsePurchasesReply(reply, session, purchases);
    if (result == -3)
        deleteCredentials(settings);
    return result;
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
                           .release();
        request.setUrl(deployment.storeUrl(script::kPurchase));
        request.secure = 1;
        request.send();
        wipeText(request.body);  // it carries the password
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
    const std::optional<std::string_view> order = purchases.owningOrder(productId);
    if (!order)
        return 0;
    if (record)
        record->assign(order->substr(0, bufferSize > 0 ? bufferSize - 1 : 0));
    return 1;
}

int orderCount(const Purchases& purchases)
{
    return purchases.rowCount() == 0 ? 0 : static_cast<int>(purchases.rowCount()) - 1;
}

}  // namespace qk
