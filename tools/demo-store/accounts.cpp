#include "accounts.h"

#include "catalog_data.h"

#include <algorithm>
#include <exception>
#include <iterator>
#include <string_view>
#include <utility>

namespace qk::demo {
namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : static_cast<char>(c);
    });
    return text;
}

DemoOrder orderOf(const std::string& productId, const std::string& price, const std::string& cartCode,
                  const std::string& orderNumber, bool voucher) {
    const DemoProduct* product = findListedProduct(productId);
    const Shipment shipment = shipmentOf(productId);
    DemoOrder o;
    o.productId = productId;
    o.productName = product != nullptr ? product->name : productId;
    o.files = voucher ? "VOUCHER" : shipment.files;
    o.version = shipment.version;
    o.fileSize = voucher ? "0" : shipment.fileSize;
    o.flag5 = "1";
    o.certificate = "CERT-" + orderNumber;
    o.serialNumber = shipment.postprocess ? "TOV-" + orderNumber + "-AX" : "";
    o.cartCode = cartCode;
    o.price = price;
    o.postprocess = shipment.postprocess && !voucher ? "1" : "0";
    o.orderNumber = orderNumber;
    return o;
}

DemoOrder catalogOrder(const std::string& productId, const std::string& orderNumber, bool voucher = false) {
    const DemoProduct* product = findListedProduct(productId);
    return orderOf(productId, product != nullptr ? product->price : "", product != nullptr ? product->cartCode : "",
                   orderNumber, voucher);
}

std::string orderRecord(const DemoOrder& o) {
    const std::string* fields[] = {&o.productId, &o.productName, &o.files,       &o.version,      &o.fileSize,
                                   &o.flag5,     &o.text6,       &o.certificate, &o.serialNumber, &o.cartCode,
                                   &o.text10,    &o.price,       &o.postprocess, &o.orderNumber};
    std::string record = "#";
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        if (i > 0) record += '*';
        record += *fields[i];
    }
    return record;
}

// Products of the demo catalog that have a newer version once the store's update switch
// is on: a single-file product, a multi-file one and one that needs post-processing.
constexpr std::string_view kUpdatedProducts[] = {"tov-1001", "tov-1011", "tov-1012"};

std::string announcedVersion(const DemoOrder& o, bool newerVersions) {
    if (!newerVersions || std::find(std::begin(kUpdatedProducts), std::end(kUpdatedProducts), o.productId) ==
                              std::end(kUpdatedProducts))
        return o.version;
    return o.version + ".1";
}

const DemoOrder* ownedOrder(const DemoAccount& account, const std::string& productId) {
    for (const DemoOrder& order : account.orders)
        if (lower(order.productId) == lower(productId) && order.files != "VOUCHER") return &order;
    return nullptr;
}

}  // namespace

AccountBook::AccountBook(std::size_t generatedOrders) {
    DemoAccount owner{"pilot@tovrin.example", "skylane182",
                      {"Alex", "Pilot", "12 Runway Road", "Springfield", "IL", "62701", "United States", "alexpilot"},
                      true, {}};
    owner.orders = {catalogOrder("tov-1001", "700101"), catalogOrder("tov-1007", "700102"),
                    catalogOrder("tov-1008", "700103"), catalogOrder("tov-1011", "700104"),
                    catalogOrder("tov-1012", "700105"), catalogOrder("tov-1016", "700106", true)};
    DemoAccount fresh{"newbie@tovrin.example", "firstflight",
                      {"Nina", "Newbie", "3 Hangar Lane", "Toronto", "ON", "M5V 2T6", "Canada", "nina"}, true, {}};
    DemoAccount unverified{"unverified@tovrin.example", "checkmail1",
                           {"Uma", "Unverified", "9 Tower Street", "Hamburg", "HH", "20095", "Germany", "uma"}, false, {}};
    unverified.orders.push_back(catalogOrder("tov-1003", "700201"));
    if (generatedOrders > 0) {
        owner.orders.clear();
        const std::vector<DemoProduct>& catalog = demoCatalog();
        for (std::size_t i = 0; i < generatedOrders && i < catalog.size(); ++i)
            owner.orders.push_back(catalogOrder(catalog[i].productId, std::to_string(900001 + i)));
    }
    accounts_ = {owner, fresh, unverified};
}

const DemoAccount* AccountBook::find(const std::string& email) const {
    const auto it = std::find_if(accounts_.begin(), accounts_.end(),
                                 [&](const DemoAccount& a) { return lower(a.email) == lower(email); });
    return it == accounts_.end() ? nullptr : &*it;
}

DemoAccount* AccountBook::find(const std::string& email) {
    return const_cast<DemoAccount*>(std::as_const(*this).find(email));
}

bool AccountBook::exists(const std::string& email) const {
    std::lock_guard lock(mutex_);
    return find(email) != nullptr;
}

bool AccountBook::loginValid(const std::string& email, const std::string& password) const {
    std::lock_guard lock(mutex_);
    const DemoAccount* account = find(email);
    return account != nullptr && account->password == password;
}

bool AccountBook::ownsProduct(const std::string& email, const std::string& productId) const {
    std::lock_guard lock(mutex_);
    const DemoAccount* account = find(email);
    return account != nullptr && ownedOrder(*account, productId) != nullptr;
}

bool AccountBook::verify(const std::string& email) {
    std::lock_guard lock(mutex_);
    DemoAccount* account = find(email);
    if (account == nullptr) return false;
    account->verified = true;
    return true;
}

bool AccountBook::sendVerificationMail(const std::string& email) {
    std::lock_guard lock(mutex_);
    const DemoAccount* account = find(email);
    if (account == nullptr) return false;
    mailbox_.push_back(account->email);
    return true;
}

std::vector<std::string> AccountBook::verificationMails() const {
    std::lock_guard lock(mutex_);
    return mailbox_;
}

std::string AccountBook::purchasesReply(const std::string& email, const std::string& password,
                                        const std::string& vendorId, bool newerVersions) const {
    std::lock_guard lock(mutex_);
    const DemoAccount* account = find(email);
    if (vendorId != kVendorId || account == nullptr || account->password != password) return "Error:1";
    const std::string details = "*" + account->profile.firstName + " " + account->profile.lastName + "*x*" + kTaxRate +
                                "*" + (account->verified ? "1" : "0");
    if (account->orders.empty()) return "Error: 2" + details;
    std::string reply = "success" + details;
    for (DemoOrder o : account->orders) {
        o.version = announcedVersion(o, newerVersions);
        reply += "|" + orderRecord(o);
    }
    return reply;
}

std::string AccountBook::fileIdReply(const std::string& vendorPassword, const std::string& login,
                                     const std::string& password, const std::string& pid,
                                     const std::string& fileIdSuffix, bool newerVersions) const {
    std::lock_guard lock(mutex_);
    const DemoAccount* account = find(login);
    if (vendorPassword != kVendorPassword || account == nullptr || account->password != password) return "Error:1";
    const std::size_t colon = pid.find(':');
    const DemoOrder* order = ownedOrder(*account, pid.substr(0, colon));
    if (order == nullptr) return "Error:1";

    std::string name = order->files;
    std::string size = order->fileSize;
    if (order->files.find('/') != std::string::npos) {
        // Multi-file order: "name:size/name:size/..."; pick entry n.
        if (colon == std::string::npos) return "Error:1";
        std::size_t index = 0;
        try {
            index = std::stoul(pid.substr(colon + 1));
        } catch (const std::exception&) {
            return "Error:1";
        }
        std::size_t start = 0;
        for (std::size_t i = 0; i < index && start != std::string::npos; ++i) {
            start = order->files.find('/', start);
            if (start != std::string::npos) ++start;
        }
        if (start == std::string::npos) return "Error:1";
        const std::string entry = order->files.substr(start, order->files.find('/', start) - start);
        const std::size_t entryColon = entry.find(':');
        name = entry.substr(0, entryColon);
        size = entryColon == std::string::npos ? std::string() : entry.substr(entryColon + 1);
    } else if (colon != std::string::npos) {
        return "Error:1";
    }
    return "success|" + name + "|" + size + "|" + announcedVersion(*order, newerVersions) + "|" + name + fileIdSuffix;
}

std::string AccountBook::postProcessReply(const std::string& email, const std::string& password,
                                          const std::string& orderNumber, const std::string& productId) const {
    std::lock_guard lock(mutex_);
    const DemoAccount* account = find(email);
    if (account == nullptr || account->password != password) return "Error:1";
    const DemoOrder* order = ownedOrder(*account, productId);
    if (order == nullptr || order->orderNumber != orderNumber || order->postprocess != "1") return "Error:1";
    return "success";
}

std::string AccountBook::viewReply(const std::string& login, const std::string& password) const {
    std::lock_guard lock(mutex_);
    const DemoAccount* account = find(login);
    if (account == nullptr || account->password != password) return "Error: Your login is not valid.";
    const DemoProfile& p = account->profile;
    std::string reply = "success";
    for (const std::string* field : {&p.firstName, &p.lastName, &p.street, &p.city, &p.stateProv, &p.zipCode, &p.country,
                                     &p.userName})
        reply += '\x01' + *field;
    return reply;
}

std::string AccountBook::createAccount(const DemoProfile& profile, const std::string& email, const std::string& password) {
    if (email.find('@') == std::string::npos) return "Error: Please enter a valid email address.";
    if (password.size() < 8) return "Error: Your password must have at least 8 characters.";
    std::lock_guard lock(mutex_);
    if (find(email) != nullptr) return "Error: An account with this email address already exists.";
    // New accounts wait for the link of the verification mail.
    accounts_.push_back(DemoAccount{email, password, profile, false, {}});
    mailbox_.push_back(email);
    return "success";
}

std::string AccountBook::updateAccount(const std::string& login, const std::string& currentPassword,
                                       const DemoProfile& profile, const std::string& email,
                                       const std::string& newPassword) {
    std::lock_guard lock(mutex_);
    DemoAccount* account = find(login);
    if (account == nullptr || account->password != currentPassword)
        return "Error: Your current password is not correct.";
    if (email.find('@') == std::string::npos) return "Error: Please enter a valid email address.";
    const DemoAccount* other = find(email);
    if (other != nullptr && other != account) return "Error: An account with this email address already exists.";
    if (!newPassword.empty() && newPassword.size() < 8) return "Error: Your password must have at least 8 characters.";
    account->profile = profile;
    account->email = email;
    if (!newPassword.empty()) account->password = newPassword;
    return "success";
}

std::string AccountBook::addPurchase(const std::string& email, const std::vector<PurchaseItem>& items, bool gift) {
    std::lock_guard lock(mutex_);
    DemoAccount* account = find(email);
    if (account == nullptr) return {};
    const std::string number = std::to_string(nextOrderNumber_++);
    for (const PurchaseItem& item : items)
        account->orders.push_back(orderOf(item.productId, item.price, item.cartCode, number, gift));
    return number;
}

}  // namespace qk::demo
