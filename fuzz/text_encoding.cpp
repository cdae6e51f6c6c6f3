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
#include "max_len.h"
#include "check.h"

namespace {

using qk::fuzz::check;

// Windows-1252 byte of a code point, from the code page's own table; 0 when none.
int cp1252Byte(char32_t cp)
{
    static constexpr char32_t kHigh[32] = {
        0x20AC, 0x81, 0x201A, 0x192, 0x201E, 0x2026, 0x2020, 0x2021, 0x2C6, 0x2030, 0x160,
        0x2039, 0x152, 0x8D, 0x17D, 0x8F, 0x90, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x2DC, 0x2122, 0x161, 0x203A, 0x153, 0x9D, 0x17E, 0x178};
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<int>(cp);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == cp)
            return 0x80 + i;
    return -1;
}

// The well-formed UTF-8 byte sequences of the Unicode standard (table 3-7), one
// character at a time; a byte that starts none becomes "?" on its own.
std::string referenceToCp1252(std::string_view in)
{
    std::string out;
    std::size_t i = 0;
    const auto at = [&](std::size_t k) { return k < in.size() ? static_cast<unsigned char>(in[k]) : 0x100u; };
    const auto within = [](unsigned b, unsigned low, unsigned high) { return b >= low && b <= high; };
    while (i < in.size()) {
        const unsigned b0 = at(i), b1 = at(i + 1), b2 = at(i + 2), b3 = at(i + 3);
        std::size_t length = 0;
        char32_t cp = 0;
        if (b0 < 0x80) {
            length = 1;
            cp = b0;
        } else if (within(b0, 0xC2, 0xDF) && within(b1, 0x80, 0xBF)) {
            length = 2;
        } else if (((b0 == 0xE0 && within(b1, 0xA0, 0xBF)) || (within(b0, 0xE1, 0xEC) && within(b1, 0x80, 0xBF)) ||
                    (b0 == 0xED && within(b1, 0x80, 0x9F)) || (within(b0, 0xEE, 0xEF) && within(b1, 0x80, 0xBF))) &&
                   within(b2, 0x80, 0xBF)) {
            length = 3;
        } else if (((b0 == 0xF0 && within(b1, 0x90, 0xBF)) || (within(b0, 0xF1, 0xF3) && within(b1, 0x80, 0xBF)) ||
                    (b0 == 0xF4 && within(b1, 0x80, 0x8F))) &&
                   within(b2, 0x80, 0xBF) && within(b3, 0x80, 0xBF)) {
            length = 4;
        }
        if (length == 0) {
            out += '?';
            ++i;
            continue;
        }
        if (length > 1) {
            cp = b0 & (0xFF >> (length + 1));
            for (std::size_t k = 1; k < length; ++k)
                cp = (cp << 6) | (at(i + k) & 0x3F);
        }
        const int byte = cp1252Byte(cp);
        out += byte < 0 ? '?' : static_cast<char>(byte);
        i += length;
    }
    return out;
}

}  // namespace

// One character at a time, none longer than four bytes: 512 bytes hold a hundred and more.
QK_FUZZ_MAX_LEN(512)

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace qk::platform;
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const std::string utf8 = cp1252ToUtf8(input);
    check(utf8ToCp1252(utf8) == input);

    const std::string bytes = utf8ToCp1252(input);
    check(bytes.size() <= input.size());
    check(bytes == referenceToCp1252(input));
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
