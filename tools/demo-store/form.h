#pragma once
// Reading form bodies and query strings.

#include <string>
#include <string_view>

namespace qk::demo {

// Value of `key` in a form body, taken as it stands: the agent escapes only a few
// values, and an unescaped email with "+" must stay one. "" when absent.
std::string formValue(std::string_view body, std::string_view key);

// "%xx" to the byte, "+" to a blank.
std::string percentDecode(std::string_view text);

// The body as the request log keeps it: in a card purchase the card number is masked
// but for its last four digits and the card code masked whole, each keeping its length.
std::string maskCardData(std::string_view body);

// Value of `key` in a query string, decoded.
std::string queryValue(std::string_view query, std::string_view key);

}  // namespace qk::demo
