#pragma once
// The reply headers of a ranged file request that the download engine relies on.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qk::download {

struct ContentRange {
    std::optional<std::uint64_t> first;  // absent in "bytes */total" (a 416 reply)
    std::string totalText;               // exactly as the server wrote it
    std::uint64_t total = 0;
};

// Parses "bytes first-last/total" (the last position is not checked). Nothing when the text cannot be split that way
// or a number is not a plain unsigned decimal.
std::optional<ContentRange> parseContentRange(std::string_view value);

// An unsigned decimal with nothing else around it but blanks.
std::optional<std::uint64_t> parseUnsigned(std::string_view text);

}  // namespace qk::download
