#include "paypal_sessions.h"

#include "generated_content.h"

#include <chrono>

namespace qk::demo {

std::string PaypalSessions::open(const std::string& email) {
    static const char digits[] = "0123456789ABCDEFGHJKLMNPQRSTUVWXYZ";
    std::lock_guard lock(mutex_);
    const auto now = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    std::uint64_t bits = splitmix64(now ^ ++counter_);
    std::string token = "EC";
    while (token.size() < 16) {
        token += digits[bits % 34];
        bits /= 34;
        if (bits == 0) bits = splitmix64(counter_ + token.size());
    }
    sessions_[token] = Session{email, false};
    return token;
}

bool PaypalSessions::approve(const std::string& token) {
    std::lock_guard lock(mutex_);
    const auto it = sessions_.find(token);
    if (it == sessions_.end()) return false;
    it->second.approved = true;
    return true;
}

bool PaypalSessions::redeem(const std::string& token, const std::string& email) {
    std::lock_guard lock(mutex_);
    const auto it = sessions_.find(token);
    if (it == sessions_.end() || !it->second.approved || it->second.email != email) return false;
    sessions_.erase(it);
    return true;
}

}  // namespace qk::demo
