#pragma once
// Short byte-size text for the file status and size displays: "532 bytes", then
// KB/MB/GB/TB/PB/EB (1 KB = 1024 bytes) with three significant digits where possible,
// e.g. "1.52 MB", "15.2 MB", "152 MB". Digits are cut, not rounded, so a size never
// reads larger than it is.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qk::platform {

std::string formatByteSize(std::uint64_t bytes);

// A byte count written as plain decimal digits (as the store sends file sizes);
// nothing for an empty text, any other character or a value beyond 64 bits.
std::optional<std::uint64_t> parseByteCount(std::string_view text);

}  // namespace qk::platform
