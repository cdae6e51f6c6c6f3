#include "store_controls.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <utility>

namespace qk::demo {

StoreControls::StoreControls(std::function<bool(bool)> setPrimaryAccepting)
    : setPrimaryAccepting_(std::move(setPrimaryAccepting)) {}

namespace {

// "<ms>" or "<ms>:<path>", with the path starting at "/".
bool parseDelay(const std::string& value, long& milliseconds, std::string& path) {
    const std::size_t colon = value.find(':');
    const std::string count = value.substr(0, colon);
    if (count.empty() || count.size() > 9) return false;
    for (const char c : count)
        if (c < '0' || c > '9') return false;
    milliseconds = std::stol(count);
    path = colon == std::string::npos ? std::string() : value.substr(colon + 1);
    return milliseconds <= StoreControls::kMaxDelayMs && (colon == std::string::npos || path.starts_with('/'));
}

}  // namespace

bool StoreControls::apply(const std::string& name, const std::string& value) {
    if (name == "delay") {
        long milliseconds = 0;
        std::string path;
        if (!parseDelay(value, milliseconds, path)) return false;
        std::lock_guard lock(mutex_);
        if (path.empty())
            delayAll_ = std::chrono::milliseconds(milliseconds);
        else if (milliseconds == 0)
            delayByPath_.erase(path);
        else
            delayByPath_[path] = std::chrono::milliseconds(milliseconds);
        return true;
    }
    if (name == "catalog") {
        static constexpr std::array<std::pair<const char*, CatalogMode>, 7> modes{{
            {"normal", CatalogMode::Normal},
            {"errversion", CatalogMode::ErrVersion},
            {"webpage", CatalogMode::WebPage},
            {"error1", CatalogMode::Error1},
            {"empty", CatalogMode::Empty},
            {"headeronly", CatalogMode::HeaderOnly},
            {"allhidden", CatalogMode::AllHidden},
        }};
        for (const auto& [text, mode] : modes) {
            if (value == text) {
                std::lock_guard lock(mutex_);
                catalogMode_ = mode;
                return true;
            }
        }
        return false;
    }
    if (name == "primary" && (value == "down" || value == "up")) return setPrimaryAccepting_(value == "up");
    if (name == "secondary" && (value == "serve" || value == "redirect")) {
        std::lock_guard lock(mutex_);
        secondaryRedirects_ = value == "redirect";
        return true;
    }
    if (name == "notificationid" && value.size() <= 10) {
        std::lock_guard lock(mutex_);
        notificationId_ = value;
        return true;
    }
    if (name == "notificationtext") {
        std::lock_guard lock(mutex_);
        notificationText_ = value;
        return true;
    }
    if (name == "notification" && (value == "on" || value == "off")) {
        std::lock_guard lock(mutex_);
        notificationOn_ = value == "on";
        return true;
    }
    if (name == "primarycut") {
        std::uint64_t bytes = 0;
        const bool off = value == "off";
        const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), bytes);
        if (!off && (value.empty() || error != std::errc() || end != value.data() + value.size())) return false;
        std::lock_guard lock(mutex_);
        primaryMode_.cutAfter = off ? -1 : static_cast<std::int64_t>(std::min<std::uint64_t>(bytes, 1ull << 62));
        return true;
    }
    if (name == "secondaryfiles") {
        FileServerMode mode;
        mode.otherContent = value == "other";
        mode.ignoreRange = value == "ignorerange";
        mode.noValidators = value == "novalidators";
        if (value != "same" && !mode.otherContent && !mode.ignoreRange && !mode.noValidators) return false;
        std::lock_guard lock(mutex_);
        secondaryMode_ = mode;
        return true;
    }
    if (name == "refusefile") {
        std::lock_guard lock(mutex_);
        refusedFile_ = value;
        return true;
    }
    if (name == "fileid" || name == "servefile") {
        // Goes into URLs the agent builds: letters, digits and dashes only.
        for (const char c : value)
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-') return false;
        std::lock_guard lock(mutex_);
        (name == "fileid" ? fileIdSuffix_ : servedFile_) = value;
        return true;
    }
    if (name == "postreply" || name == "paypalreply" || name == "couponreply" || name == "accountreply") {
        std::lock_guard lock(mutex_);
        (name == "postreply"     ? postProcessReply_
         : name == "paypalreply" ? paypalReply_
         : name == "couponreply" ? couponReply_
                                 : accountReply_) = value;
        return true;
    }
    if (name == "updates" && (value == "on" || value == "off")) {
        std::lock_guard lock(mutex_);
        newerVersions_ = value == "on";
        return true;
    }
    if (name == "postprocess" && (value == "ok" || value == "fail")) {
        std::lock_guard lock(mutex_);
        postProcessFails_ = value == "fail";
        return true;
    }
    return false;
}

std::chrono::milliseconds StoreControls::replyDelay(const std::string& path) const {
    std::lock_guard lock(mutex_);
    const auto it = delayByPath_.find(path);
    return it != delayByPath_.end() ? it->second : delayAll_;
}

std::string StoreControls::refusedFile() const {
    std::lock_guard lock(mutex_);
    return refusedFile_;
}

bool StoreControls::newerVersions() const {
    std::lock_guard lock(mutex_);
    return newerVersions_;
}

std::string StoreControls::fileIdSuffix() const {
    std::lock_guard lock(mutex_);
    return fileIdSuffix_;
}

bool StoreControls::secondaryRedirects() const {
    std::lock_guard lock(mutex_);
    return secondaryRedirects_;
}

std::string StoreControls::postProcessReply() const {
    std::lock_guard lock(mutex_);
    return postProcessReply_;
}

std::string StoreControls::servedFile() const {
    std::lock_guard lock(mutex_);
    return servedFile_;
}

std::string StoreControls::couponReply() const {
    std::lock_guard lock(mutex_);
    return couponReply_;
}

std::string StoreControls::accountReply() const {
    std::lock_guard lock(mutex_);
    return accountReply_;
}

std::string StoreControls::paypalReply() const {
    std::lock_guard lock(mutex_);
    return paypalReply_;
}

bool StoreControls::postProcessFails() const {
    std::lock_guard lock(mutex_);
    return postProcessFails_;
}

CatalogMode StoreControls::catalogMode() const {
    std::lock_guard lock(mutex_);
    return catalogMode_;
}

std::string StoreControls::notificationId() const {
    std::lock_guard lock(mutex_);
    return notificationId_;
}

std::optional<std::string> StoreControls::notificationText() const {
    std::lock_guard lock(mutex_);
    return notificationText_;
}

bool StoreControls::notificationOn() const {
    std::lock_guard lock(mutex_);
    return notificationOn_;
}

FileServerMode StoreControls::primaryMode() const {
    std::lock_guard lock(mutex_);
    return primaryMode_;
}

FileServerMode StoreControls::secondaryMode() const {
    std::lock_guard lock(mutex_);
    return secondaryMode_;
}

}  // namespace qk::demo
