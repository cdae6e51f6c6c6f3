#pragma once
// The process-wide store and login state. One instance, owned by the Agent and
// handed by reference to every operation that talks to the store.

#include <string>

#include "platform/fixed_text.h"

namespace qk {

inline constexpr std::size_t kMinEmailLength = 6;
inline constexpr std::size_t kMinPasswordLength = 8;

struct Session {
    std::string email;           // account email used in requests
    std::string password;        // account password used in requests (plain in memory)
    std::string vendorId;        // preset vendor store identifier
    std::string vendorPassword;  // preset vendor store password
    std::string vendorName;      // preset vendor display name
    std::string storeParams;     // "&vendor=…&vendorid=…&vendorpwd=…&channel=0"
    std::string currencySymbol;  // "$"
    bool storeReady = false;     // the store set-up step has run
    bool hasLogin = false;       // the session counts as logged in
    std::string customerName;    // header field 1 of the purchases reply
    std::string taxRate;         // header field 3: decimal multiplier, e.g. "0.0825"
    int accountVerified = 0;     // 1 when the store reports the account as verified
    int loginDialogOpen = 0;     // 1 while the login dialog of the login routine shows
    FixedText<150> emailShown;   // email of the logged-in customer, for the main window
    FixedText<150> accountName;  // copy of customerName for the main window

    [[nodiscard]] bool hasUsableLogin() const
    {
        return email.size() >= kMinEmailLength && password.size() >= kMinPasswordLength;
    }
};

}  // namespace qk
