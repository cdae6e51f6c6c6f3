#pragma once
// Stored setting values as the agent reads them back: through a 255-byte buffer, so a
// value is cut at that size and at an embedded NUL.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qk {

inline constexpr std::size_t kSettingMaxBytes = 255;

// The text the buffer holds of a stored value.
std::string settingText(std::string_view stored);

// The download base from the stored "FolderPath" value: the value as the buffer holds it,
// cut before any UTF-8 character the buffer's size would split; `fallback` when there is
// no value or it reads empty.
std::string downloadBaseOf(const std::optional<std::string>& stored, std::string_view fallback);

}  // namespace qk
