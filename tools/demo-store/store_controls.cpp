#include "store_controls.h"

#include <array>
#include <cctype>
#include <utility>

namespace qk::demo {

StoreControls::StoreControls(std::function<bool(bool)> setPrimaryAccepting)
    : setPrimaryAccepting_(std::move(setPrimaryAccepting)) {}

bool StoreControls::apply(const std::string& name, const std::string& value) {
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

}  // namespace qk::demo
