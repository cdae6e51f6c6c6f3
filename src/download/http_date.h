#pragma once
// HTTP dates, as servers send them in Date and Last-Modified.

#include <cstdint>
#include <optional>
#include <string_view>

namespace qk::download {

// Seconds since 1970 of an IMF-fixdate ("Sun, 06 Nov 1994 08:49:37 GMT"), read without
// the C library's locale. Nothing for any other form: such a date proves nothing.
std::optional<std::int64_t> parseHttpDate(std::string_view text);

// A Last-Modified is a strong validator only when the server sent it at least one second
// after that moment (its Date): within the same second the file could still change.
bool isStrongLastModified(std::string_view lastModified, std::string_view replyDate);

}  // namespace qk::download
