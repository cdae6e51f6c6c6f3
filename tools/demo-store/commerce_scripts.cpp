#include "commerce_scripts.h"

#include "catalog_data.h"
#include "form.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace qk::demo {
namespace {

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : static_cast<char>(c);
    });
    return text;
}

std::string money(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", std::floor(value * 100 + 0.5) / 100);
    return text;
}

bool isNumber(const std::string& text) {
    if (text.empty()) return false;
    char* end = nullptr;
    std::strtod(text.c_str(), &end);
    return *end == '\0';
}

bool storeSettingsValid(std::string_view body) {
    return formValue(body, "vendorid") == kVendorId && formValue(body, "vendorpwd") == kVendorPassword;
}

bool allDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

// The card part of a purchase: empty when approved, else the refusal to send.
std::string chargeCard(std::string_view body) {
    const std::string number = formValue(body, "cardnum");
    const std::string expiry = formValue(body, "expdate");
    const std::string code = formValue(body, "ccv");
    if (expiry.size() != 4 || !allDigits(expiry) || code.size() < 3 || code.size() > 4 || !allDigits(code))
        return "Declined: the expiry date or the card code is not valid.";
    if (number == "4111111111111111") return {};
    if (number == "4000000000000002") return "Declined: the card issuer declined the transaction.";
    if (number == "4000000000000119") return "Error: The card processor did not answer. Please try again later.";
    if (number == "4000000000009995") return "no_serial";
    return "Declined: unknown card number.";
}

}  // namespace

std::vector<PurchaseItem> parseProductList(std::string_view productList) {
    std::vector<PurchaseItem> items;
    while (!productList.empty()) {
        const std::size_t star = productList.find('*');
        const std::string_view entry = productList.substr(0, star);
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (std::size_t bar; (bar = entry.find('|', start)) != std::string_view::npos; start = bar + 1)
            fields.emplace_back(entry.substr(start, bar - start));
        fields.emplace_back(entry.substr(start));
        if (fields.size() >= 8) items.push_back(PurchaseItem{fields[0], fields[2], fields[7]});
        if (star == std::string_view::npos) break;
        productList.remove_prefix(star + 1);
    }
    return items;
}

ScriptReply couponScript(std::string_view body, StoreContext& store) {
    if (std::string scripted = store.controls.couponReply(); !scripted.empty()) return textReply(std::move(scripted));
    const std::string email = formValue(body, "email");
    if (!store.accounts.loginValid(email, formValue(body, "password")))
        return textReply("Error|We could not verify your login. Please log in again.");
    if (formValue(body, "vendorid") != kVendorId) return textReply("Error|We do not know this store.");
    const std::string productId = formValue(body, "productid");
    const DemoProduct* product = findListedProduct(productId);
    if (product == nullptr) return textReply("Error|We could not find this product.");
    if (!isNumber(product->price)) return textReply("Error|We cannot apply coupons to this product.");
    const double price = std::strtod(product->price.c_str(), nullptr);

    const std::string code = upper(formValue(body, "coupon"));
    if (code == "AUTO") {
        if (productId == "tov-1001" && store.accounts.ownsProduct(email, "tov-1008"))
            return textReply("success|19.95*UPGRADE-1008");
        return textReply("Error|We did not find an upgrade coupon for this product.");
    }
    if (code == "SAVE10") return textReply("success|" + money(price * 0.9));
    if (code == "FREEBIE") return textReply("success|0.00");
    if (code == "BADCONFIG") return textReply("success|free");
    if (code == "EXPIRED") return textReply("Error|We are sorry, this coupon has expired.");
    if (code == "BROKEN") return textReply("Error|Coupon table unavailable (code 17).");
    return textReply("Error|We could not find a coupon with this code.");
}

ScriptReply purchaseTransactionScript(std::string_view body, StoreContext& store) {
    if (formValue(body, "action") != "purchase") return textReply("Error: Unknown request.");
    if (!storeSettingsValid(body)) return textReply("Error: The store settings of this application are not valid.");
    const std::string email = formValue(body, "email");
    if (!store.accounts.loginValid(email, formValue(body, "password")))
        return textReply("Error: Your login is not valid. Please log in again.");
    const std::vector<PurchaseItem> items = parseProductList(formValue(body, "productlist"));
    if (items.empty()) return textReply("Error: Your cart is empty.");
    for (const PurchaseItem& item : items)
        if (findListedProduct(item.productId) == nullptr)
            return textReply("Error: A product in your cart is no longer available.");

    if (formValue(body, "paypal") == "yes") {
        if (!store.paypal.redeem(formValue(body, "cardnum"), email))
            return textReply("Error: The PayPal session was not approved. Please log in to PayPal in your browser and "
                             "try again.");
    } else if (const std::string refusal = chargeCard(body); !refusal.empty()) {
        return textReply(refusal);
    }
    const std::string number = store.accounts.addPurchase(email, items, formValue(body, "gift") == "yes");
    return textReply("approved|" + number);
}

ScriptReply paypalSessionScript(std::string_view body, StoreContext& store) {
    if (std::string scripted = store.controls.paypalReply(); !scripted.empty()) return textReply(std::move(scripted));
    if (formValue(body, "mode") != "setexp") return textReply("Error: Unknown request.");
    if (!storeSettingsValid(body)) return textReply("Error: The store settings of this application are not valid.");
    const std::string email = formValue(body, "email");
    if (!store.accounts.loginValid(email, formValue(body, "password")))
        return textReply("Error: Your login is not valid. Please log in again.");
    if (parseProductList(formValue(body, "productlist")).empty()) return textReply("Error: Your cart is empty.");
    return textReply("ok|" + store.paypal.open(email));
}

ScriptReply paypalApprovalPage(const std::string& token, StoreContext& store) {
    if (!store.paypal.approve(token))
        return htmlPage(404, "PayPal", "<p>This PayPal session is unknown or has expired.</p>");
    return htmlPage(200, "PayPal",
                    "<h1>PayPal (demo)</h1><p>You are logged in and the payment is approved. Return to the "
                    "application and press \"2. Complete PayPal Purchase\".</p>");
}

}  // namespace qk::demo
