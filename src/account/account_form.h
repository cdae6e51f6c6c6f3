#pragma once
// The account form as data: the request body built from what the customer entered (with
// every rule and its message, in the order the form is checked) and the store's view of
// an existing account. No dialog here; the account dialog reads and fills its controls.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace qk {

enum class AccountMode { Create, Update };

// One edit's text as read, and whether every character typed had a Windows-1252 byte.
struct FormText {
    std::string text;
    bool encodable = true;
};

struct AccountForm {
    FormText firstName, lastName, street, city, stateProvince, zipCode;
    FormText email, repeatEmail;
    FormText password, repeatPassword;
    FormText userName;
    FormText currentPassword;  // update mode only
    int countryIndex = 0;      // list entry chosen
    std::string countryText;   // its text

    AccountForm() = default;
    AccountForm(const AccountForm&) = delete;
    AccountForm& operator=(const AccountForm&) = delete;
    ~AccountForm();  // the three passwords are wiped
};

struct FormRefusal {
    std::string message;
    std::string caption;
};

// The body for "/vnaccount.asp", or why the form cannot be sent.
struct AccountRequest {
    std::string body;  // empty when refused; wiped on destruction (it holds passwords)
    std::optional<FormRefusal> refusal;

    AccountRequest() = default;
    AccountRequest(const AccountRequest&) = delete;
    AccountRequest& operator=(const AccountRequest&) = delete;
    AccountRequest(AccountRequest&&) = default;
    ~AccountRequest();
};

inline constexpr const char* kInvalidFieldCaption = "Invalid field submitted...";
inline constexpr const char* kInvalidEntryCaption = "Invalid Entry...";

// `loginEmail` is the session's email, sent as it stands in update mode.
AccountRequest buildAccountRequest(const AccountForm& form, AccountMode mode,
                                   std::string_view loginEmail);

// The account data of a view reply: first name, last name, street, city, state or
// province, zip code, country, user name.
struct AccountProfile {
    std::array<std::string, 8> fields;
};
inline constexpr std::size_t kProfileCountry = 6;

// Exactly nine 0x01-separated fields, of any length; anything else is unreadable.
std::optional<AccountProfile> parseAccountView(std::string_view reply);

}  // namespace qk
