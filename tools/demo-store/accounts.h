#pragma once
// Customer accounts of the demo store and their orders. Accounts can be created,
// updated, verified and can buy while the store runs, so the book is shared state
// behind a lock; it starts with the demo accounts of README.md.

#include <mutex>
#include <string>
#include <vector>

namespace qk::demo {

struct DemoOrder {
    std::string productId, productName, files, version, fileSize, flag5, text6, certificate, serialNumber;
    std::string cartCode, text10, price, postprocess, orderNumber;
};

struct DemoProfile {
    std::string firstName, lastName, street, city, stateProv, zipCode, country, userName;
};

struct DemoAccount {
    std::string email;
    std::string password;
    DemoProfile profile;
    bool verified = true;
    std::vector<DemoOrder> orders;
};

// One product of a purchase: identifier, price text and cart code as the cart sent them.
struct PurchaseItem {
    std::string productId, price, cartCode;
};

inline constexpr const char* kTaxRate = "0.0825";

class AccountBook {
public:
    // `generatedOrders` > 0: the first account owns that many products of the catalog, in
    // catalog order, instead of its demo orders (for a generated catalog).
    explicit AccountBook(std::size_t generatedOrders = 0);

    // action=getpurchases: "Error:1" for an unknown email (compared without regard to
    // case), a wrong password or another vendor; "Error: 2*..." for an account without
    // orders; else the header and one "#"-prefixed order record per order, records
    // separated by "|", fields by "*".
    // `newerVersions`: the orders of the updated products announce their newer version.
    std::string purchasesReply(const std::string& email, const std::string& password, const std::string& vendorId,
                               bool newerVersions = false) const;

    // "/vngetfile.asp": "success|<file name>|<file size>|<version>|<file id>", the file id
    // being the file name followed by `fileIdSuffix`. `pid` is the product id, or
    // "<product id>:<n>" for file n (from 0) of a multi-file order. "Error:1" for a
    // wrong vendor password, login or pid, or a product not owned.
    std::string fileIdReply(const std::string& vendorPassword, const std::string& login, const std::string& password,
                            const std::string& pid, const std::string& fileIdSuffix, bool newerVersions = false) const;

    // "success" when the customer's order `orderNumber` of `productId` needs post-processing.
    std::string postProcessReply(const std::string& email, const std::string& password, const std::string& orderNumber,
                                 const std::string& productId) const;

    // action=view: "success", then first name, last name, street, city, state/province,
    // zip code, country and user name; 9 fields separated by 0x01.
    std::string viewReply(const std::string& login, const std::string& password) const;

    // action=new / action=update with the decoded form values; "success" or "Error: <text>".
    std::string createAccount(const DemoProfile& profile, const std::string& email, const std::string& password);
    std::string updateAccount(const std::string& login, const std::string& currentPassword, const DemoProfile& profile,
                              const std::string& email, const std::string& newPassword);

    bool exists(const std::string& email) const;
    bool verify(const std::string& email);  // the link of the verification mail
    // The verification mail: the demo store has no mail server, so each mail is kept in
    // a mailbox that the browser page "/mailbox.asp" shows. False for an unknown email.
    bool sendVerificationMail(const std::string& email);
    std::vector<std::string> verificationMails() const;  // addresses, oldest first
    bool loginValid(const std::string& email, const std::string& password) const;
    bool ownsProduct(const std::string& email, const std::string& productId) const;

    // Records an approved purchase and returns its order number; a gift is recorded as
    // voucher orders, which do not make the products owned.
    std::string addPurchase(const std::string& email, const std::vector<PurchaseItem>& items, bool gift);

private:
    const DemoAccount* find(const std::string& email) const;  // caller holds the lock
    DemoAccount* find(const std::string& email);

    mutable std::mutex mutex_;
    std::vector<DemoAccount> accounts_;
    std::vector<std::string> mailbox_;
    int nextOrderNumber_ = 800001;
};

}  // namespace qk::demo
