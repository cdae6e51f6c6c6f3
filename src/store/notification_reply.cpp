#include "store/notification_reply.h"

#include <charconv>

namespace qk {

namespace {
constexpr std::size_t kIdField = 10;
}

NotificationReply readNotificationReply(std::string_view reply)
{
    NotificationReply notification;
    if (reply.size() > kIdField)
        notification.text = std::string(reply.substr(kIdField, kNotificationTextMax));
    for (const char c : reply.substr(0, kIdField))
        if (c != ' ')
            notification.id.push_back(c);
    return notification;
}

std::optional<std::uint64_t> notificationNumber(std::string_view id)
{
    std::uint64_t value = 0;
    if (id.empty())
        return std::nullopt;
    const auto result = std::from_chars(id.data(), id.data() + id.size(), value);
    if (result.ec != std::errc() || result.ptr != id.data() + id.size())
        return std::nullopt;
    return value;
}

std::uint64_t markerNumber(std::string_view marker)
{
    std::uint64_t value = 0;
    const auto result = std::from_chars(marker.data(), marker.data() + marker.size(), value);
    return result.ec == std::errc() ? value : 0;
}

bool notificationIsNew(const NotificationReply& notification, std::string_view marker)
{
    const auto server = notificationNumber(notification.id);
    return server && markerNumber(marker) < *server && !notification.text.empty();
}

}  // namespace qk
