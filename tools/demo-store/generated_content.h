#pragma once
// Deterministic file content of any size, so that a test can check every byte of a
// download without the server keeping files: byte i is byte (i % 8), little-endian,
// of splitmix64(i / 8). Header-only so that tests compute the same bytes.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace qk::demo {

// One output of the splitmix64 generator seeded with n.
constexpr std::uint64_t splitmix64(std::uint64_t n) {
    std::uint64_t z = n + 0x9E3779B97F4A7C15ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

constexpr std::uint8_t contentByte(std::uint64_t offset) {
    return static_cast<std::uint8_t>(splitmix64(offset / 8) >> (8 * (offset % 8)));
}

// Fills out[0..n) with the content from `offset` on. Whole 64-bit words in the
// middle: the server streams gigabytes through this.
inline void fillContent(std::uint64_t offset, char* out, std::size_t n) {
    while (n > 0 && offset % 8 != 0) {
        *out++ = static_cast<char>(contentByte(offset++));
        --n;
    }
    std::uint64_t word = offset / 8;
    while (n >= 8) {
        std::uint64_t value = splitmix64(word++);
        if constexpr (std::endian::native == std::endian::big) {
            value = ((value & 0x00000000000000FFULL) << 56) | ((value & 0x000000000000FF00ULL) << 40) |
                    ((value & 0x0000000000FF0000ULL) << 24) | ((value & 0x00000000FF000000ULL) << 8) |
                    ((value & 0x000000FF00000000ULL) >> 8) | ((value & 0x0000FF0000000000ULL) >> 24) |
                    ((value & 0x00FF000000000000ULL) >> 40) | ((value & 0xFF00000000000000ULL) >> 56);
        }
        std::memcpy(out, &value, 8);
        out += 8;
        n -= 8;
    }
    offset = word * 8;
    while (n > 0) {
        *out++ = static_cast<char>(contentByte(offset++));
        --n;
    }
}

// Another build of the same file: as many bytes, none of them the same (each is
// inverted), as an out-of-date mirror would serve under the same id.
inline void fillOtherContent(std::uint64_t offset, char* out, std::size_t n) {
    fillContent(offset, out, n);
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<char>(~static_cast<unsigned char>(out[i]));
}

}  // namespace qk::demo
