#include "download/content_range.h"

#include <charconv>

namespace qk::download {
namespace {

std::string_view trimmed(std::string_view text)
{
    const auto begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string_view::npos)
        return {};
    const auto end = text.find_last_not_of(" \t\r\n");
    return text.substr(begin, end - begin + 1);
}

}  // namespace

std::optional<std::uint64_t> parseUnsigned(std::string_view text)
{
    text = trimmed(text);
    if (text.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<ContentRange> parseContentRange(std::string_view value)
{
    value = trimmed(value);
    constexpr std::string_view kUnit = "bytes ";
    if (value.substr(0, kUnit.size()) != kUnit)
        return std::nullopt;
    const auto slash = value.find('/');
    if (slash == std::string_view::npos)
        return std::nullopt;

    ContentRange range;
    range.totalText = std::string(trimmed(value.substr(slash + 1)));
    const auto total = parseUnsigned(range.totalText);
    if (!total)
        return std::nullopt;
    range.total = *total;

    const std::string_view span = value.substr(kUnit.size(), slash - kUnit.size());
    if (trimmed(span) == "*")
        return range;
    const auto dash = span.find('-');
    if (dash == std::string_view::npos)
        return std::nullopt;
    // The last position is not needed: a range that starts at the total (nothing left)
    // is written "first-(first-1)/total" by some servers.
    const auto first = parseUnsigned(span.substr(0, dash));
    if (!first)
        return std::nullopt;
    range.first = *first;
    return range;
}

}  // namespace qk::download
