// Windows-1252 <-> UTF-8. Every byte has a character (the five undefined ones their C1
// control), so bytes -> UTF-8 -> bytes gives the bytes back; any input read as UTF-8
// gives bytes that survive the same round trip; the cut point never splits a character
// that fits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/text_encoding.h"

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace qk::platform;
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const std::string utf8 = cp1252ToUtf8(input);
    check(utf8ToCp1252(utf8) == input);

    const std::string bytes = utf8ToCp1252(input);
    check(bytes.size() <= input.size());
    check(utf8ToCp1252(cp1252ToUtf8(bytes)) == bytes);

    for (const std::size_t maxBytes : {std::size_t{0}, std::size_t{1}, size / 2, size, size + 1}) {
        const std::size_t cut = utf8CutPoint(input, maxBytes);
        if (size <= maxBytes) {
            check(cut == size);
        } else {
            check(cut <= maxBytes && maxBytes - cut <= 3);
        }
        const std::size_t utf8Cut = utf8CutPoint(utf8, maxBytes);
        check(utf8Cut <= utf8.size());
        // Valid UTF-8 is cut at a character start.
        if (utf8Cut < utf8.size())
            check((static_cast<unsigned char>(utf8[utf8Cut]) & 0xC0) != 0x80);
    }
    return 0;
}
