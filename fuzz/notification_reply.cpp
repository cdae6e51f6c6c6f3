// The notification reply (identifier in the first ten characters, padded with spaces,
// then the text) against the hidden-notification marker read back from the settings.
// Input: one byte n (the marker's length, at most 63), n marker bytes, then the reply.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "platform/setting_text.h"
#include "store/notification_reply.h"
#include "max_len.h"
#include "check.h"

namespace {

using qk::fuzz::check;

// Decimal digits as a number; nothing when it does not fit 64 bits.
std::optional<std::uint64_t> digitsValue(std::string_view digits)
{
    unsigned __int128 value = 0;
    for (const char c : digits) {
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > UINT64_MAX)
            return std::nullopt;
    }
    return static_cast<std::uint64_t>(value);
}

std::size_t leadingDigits(std::string_view text)
{
    std::size_t n = 0;
    while (n < text.size() && text[n] >= '0' && text[n] <= '9')
        ++n;
    return n;
}

}  // namespace

// The marker (at most 63 bytes) and the reply, whose identifier is its first 10 bytes.
QK_FUZZ_MAX_LEN(256)

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t markerSize = std::min<std::size_t>(data[0] & 0x3F, size - 1);
    const std::string_view stored(reinterpret_cast<const char*>(data) + 1, markerSize);
    const std::string_view reply(reinterpret_cast<const char*>(data) + 1 + markerSize, size - 1 - markerSize);

    const qk::NotificationReply notification = qk::readNotificationReply(reply);
    // The identifier is the first ten characters less their spaces; the text the rest.
    std::string expectedId;
    for (const char c : reply.substr(0, 10))
        if (c != ' ')
            expectedId.push_back(c);
    check(notification.id == expectedId);
    check(notification.text == (reply.size() > 10 ? reply.substr(10, 64 * 1024) : std::string_view()));

    // The identifier is a number exactly when it is all digits and fits 64 bits.
    const auto number = qk::notificationNumber(notification.id);
    const bool digits = !notification.id.empty() && leadingDigits(notification.id) == notification.id.size();
    const auto expectedNumber = digits ? digitsValue(notification.id) : std::nullopt;
    check(number == expectedNumber);

    // The marker as readSetting hands it over, and its leading number (0 when none or
    // too large).
    const std::string marker = qk::settingText(stored);
    const std::uint64_t markerValue = qk::markerNumber(marker);
    const std::size_t markerDigits = leadingDigits(marker);
    check(markerValue == (markerDigits == 0 ? 0 : digitsValue(marker.substr(0, markerDigits)).value_or(0)));

    const bool shown = qk::notificationIsNew(notification, marker);
    check(shown == (number && markerValue < *number && !notification.text.empty()));
    // Hiding it writes the identifier as the marker: the same notification stays hidden.
    if (number)
        check(!qk::notificationIsNew(notification, notification.id));
    return 0;
}
