#pragma once
// PayPal sessions of the demo store: opened by the session request, approved when the
// customer's browser opens the session page, used up by the purchase that pays with it.

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

namespace qk::demo {

class PaypalSessions {
public:
    // A new 16-character token for this customer.
    std::string open(const std::string& email);
    // The browser page was opened; false for an unknown token.
    bool approve(const std::string& token);
    // True once per approved session of this customer; the session is then gone.
    bool redeem(const std::string& token, const std::string& email);

private:
    struct Session {
        std::string email;
        bool approved = false;
    };
    std::mutex mutex_;
    std::map<std::string, Session> sessions_;
    std::uint64_t counter_ = 0;
};

}  // namespace qk::demo
