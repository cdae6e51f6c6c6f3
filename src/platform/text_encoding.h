#pragma once
// The store protocol and every stored text are Windows-1252 bytes; the toolkit speaks
// UTF-8. Conversion happens only at the user-interface boundary.

#include <string>
#include <string_view>

namespace qk::platform {

// Every byte maps to a character; the five bytes Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same number.
std::string cp1252ToUtf8(std::string_view bytes);

// Characters without a Windows-1252 byte become "?"; malformed UTF-8 bytes too.
std::string utf8ToCp1252(std::string_view utf8);

// Where to cut UTF-8 text to at most `maxBytes` bytes without splitting a character:
// the whole size when it fits, else the last character start at or before `maxBytes`.
// Steps back over at most three continuation bytes, so bytes that are not UTF-8 are
// still cut at `maxBytes` or just before.
std::size_t utf8CutPoint(std::string_view text, std::size_t maxBytes);

}  // namespace qk::platform
