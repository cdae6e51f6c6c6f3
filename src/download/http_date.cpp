#include "download/http_date.h"

#include <array>
#include <charconv>

namespace qk::download {
namespace {

constexpr std::array<std::string_view, 7> kDays{"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
constexpr std::array<std::string_view, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::optional<int> digits(std::string_view text, std::size_t at, std::size_t count)
{
    if (at + count > text.size())
        return std::nullopt;
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// Days from 1970-01-01 to the date (proleptic Gregorian calendar).
std::int64_t daysFromCivil(std::int64_t year, int month, int day)
{
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

}  // namespace

std::optional<std::int64_t> parseHttpDate(std::string_view text)
{
    // "Sun, 06 Nov 1994 08:49:37 GMT": 29 characters, fixed positions.
    if (text.size() != 29 || text.substr(3, 2) != ", " || text[7] != ' ' || text[11] != ' ' || text[16] != ' ' ||
        text[19] != ':' || text[22] != ':' || text.substr(25) != " GMT")
        return std::nullopt;
    bool knownDay = false;
    for (const auto day : kDays)
        knownDay = knownDay || text.substr(0, 3) == day;
    int month = 0;
    for (std::size_t i = 0; i < kMonths.size(); ++i) {
        if (text.substr(8, 3) == kMonths[i])
            month = static_cast<int>(i) + 1;
    }
    const auto day = digits(text, 5, 2);
    const auto year = digits(text, 12, 4);
    const auto hour = digits(text, 17, 2);
    const auto minute = digits(text, 20, 2);
    const auto second = digits(text, 23, 2);
    if (!knownDay || month == 0 || !day || !year || !hour || !minute || !second || *day < 1 || *day > 31 ||
        *hour > 23 || *minute > 59 || *second > 60)
        return std::nullopt;
    return daysFromCivil(*year, month, *day) * 86400 + *hour * 3600 + *minute * 60 + *second;
}

bool isStrongLastModified(std::string_view lastModified, std::string_view replyDate)
{
    const auto modified = parseHttpDate(lastModified);
    const auto sent = parseHttpDate(replyDate);
    return modified && sent && *modified + 1 <= *sent;
}

}  // namespace qk::download
