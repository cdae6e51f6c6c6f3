#pragma once
// The store's notification reply and the hidden-notification marker kept in the
// settings: the reply's first ten characters are the identifier (padded with spaces),
// the rest is the text.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qk {

// The most of a notification's text that is kept and shown: a page of news is a few
// kilobytes; more would only stall the dialog that lays it out. One byte is one character
// in the store's code page, so the cut is on a character boundary.
inline constexpr std::size_t kNotificationTextMax = 64 * 1024;

struct NotificationReply {
    std::string id;    // characters 0…9 with every space removed
    std::string text;  // from character 10 on, at most kNotificationTextMax characters;
                       // empty for a reply of 10 characters or fewer
};
NotificationReply readNotificationReply(std::string_view reply);

// The identifier as a number: plain decimal digits only, within 64 bits.
std::optional<std::uint64_t> notificationNumber(std::string_view id);

// The marker's leading decimal number; 0 when it has none (or it does not fit 64 bits).
std::uint64_t markerNumber(std::string_view marker);

// Whether the notification is shown against the stored marker: its identifier is a
// number above the marker's and it has a text. An identifier that is no number is never
// shown (it can neither be compared nor stored as a marker).
bool notificationIsNew(const NotificationReply& notification, std::string_view marker);

}  // namespace qk
