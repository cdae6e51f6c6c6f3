#include "platform/byte_size_text.h"

#include <array>
#include <cmath>
#include <cstdio>

namespace qk::platform {

std::string formatByteSize(std::uint64_t bytes)
{
    if (bytes < 1000)
        return std::to_string(bytes) + " bytes";

    static constexpr std::array<const char*, 6> units = {"KB", "MB", "GB", "TB", "PB", "EB"};
    // long double holds every 64-bit count exactly, so the cut below is exact.
    long double value = static_cast<long double>(bytes);
    std::size_t unit = 0;
    value /= 1024.0L;
    // Move up while the number would need four digits before the point.
    while (value >= 1000.0L && unit + 1 < units.size()) {
        value /= 1024.0L;
        ++unit;
    }

    int decimals = 0;
    long double scale = 1.0L;
    if (value < 10.0L) {
        decimals = 2;
        scale = 100.0L;
    } else if (value < 100.0L) {
        decimals = 1;
        scale = 10.0L;
    }
    const long double cut = std::floor(value * scale) / scale;

    char text[48];
    std::snprintf(text, sizeof text, "%.*Lf %s", decimals, cut, units[unit]);
    return text;
}

std::optional<std::uint64_t> parseByteCount(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (UINT64_MAX - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

}  // namespace qk::platform
