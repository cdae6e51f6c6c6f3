#include "commerce/money.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <system_error>

namespace qk {

namespace {

// A product such as 10.10 x 0.05 is 0.505 in decimal but 0.50499999… in binary;
// without a little slack the half-up rule would round the customer's cent down.
// The slack is relative, far above binary noise and far below a real fraction.
constexpr double kRelativeSlack = 1e-9;

std::string centsText(std::int64_t cents)
{
    const bool negative = cents < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(cents)
                                             : static_cast<std::uint64_t>(cents);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%s%llu.%02llu", negative ? "-" : "",
                  static_cast<unsigned long long>(magnitude / 100),
                  static_cast<unsigned long long>(magnitude % 100));
    return buffer;
}

bool representable(double cents)
{
    return std::isfinite(cents) && std::fabs(cents) < 9.0e15;
}

}  // namespace

std::string moneyText(double amount)
{
    const double scaled = amount * 100.0;
    if (!representable(scaled))
        return "0.00";
    const double slack = kRelativeSlack * std::max(1.0, std::fabs(scaled));
    return centsText(static_cast<std::int64_t>(std::floor(scaled + 0.5 + slack)));
}

std::string sumText(double amount)
{
    if (!representable(amount * 100.0))
        return "0.00";
    // to_chars, not printf: the user's locale must not turn the point into a comma.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, amount,
                                      std::chars_format::fixed, 2);
    if (result.ec != std::errc())
        return "0.00";
    std::string text(buffer, result.ptr);
    if (text == "-0.00")
        text = "0.00";
    return text;
}

double readMoney(std::string_view text)
{
    std::size_t start = 0;
    while (start < text.size() && (text[start] == ' ' || text[start] == '\t' ||
                                   text[start] == '\n' || text[start] == '\r' ||
                                   text[start] == '\v' || text[start] == '\f'))
        ++start;
    if (start < text.size() && text[start] == '+') {
        ++start;
        if (start < text.size() && text[start] == '-')
            return 0.0;
    }
    // from_chars is locale-independent, unlike strtod under a Qt application.
    double value = 0.0;
    const char* first = text.data() + start;
    const auto result = std::from_chars(first, text.data() + text.size(), value,
                                        std::chars_format::general);
    if (result.ec != std::errc() || !std::isfinite(value))
        return 0.0;
    return value;
}

}  // namespace qk
