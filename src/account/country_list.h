#pragma once
// The account form's country choices: seven leading entries (a prompt and the six most
// frequent countries), a separator, then the ISO 3166 English short names in
// alphabetical order. Windows-1252 bytes, as the store receives them.

#include <span>
#include <string_view>

namespace qk {

inline constexpr int kCountryPromptEntry = 0;
inline constexpr int kCountrySeparatorEntry = 7;

std::span<const std::string_view> countryList();

// Entries 0 and 7 are not countries.
[[nodiscard]] bool isCountryEntry(int index);

// The list entry a stored country name selects: the first entry that begins with it,
// ignoring case, searching from the third entry and wrapping round. -1 when none
// does (an empty name matches nothing).
[[nodiscard]] int findCountryEntry(std::string_view storedName);

}  // namespace qk
