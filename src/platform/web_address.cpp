#include "platform/web_address.h"

#include <algorithm>

namespace qk::platform {

namespace {

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    return std::equal(prefix.begin(), prefix.end(), text.begin(), [](char p, char t) {
        return p == ((t >= 'A' && t <= 'Z') ? static_cast<char>(t - 'A' + 'a') : t);
    });
}

}  // namespace

bool isWebAddress(std::string_view text)
{
    std::string_view rest;
    if (startsWithIgnoringCase(text, "http://"))
        rest = text.substr(7);
    else if (startsWithIgnoringCase(text, "https://"))
        rest = text.substr(8);
    else
        return false;
    // "http:///etc/passwd" or "http://?x" name no host.
    if (rest.empty() || rest.front() == '/' || rest.front() == '\\' || rest.front() == '?' ||
        rest.front() == '#')
        return false;
    return std::none_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte <= 0x20 || byte == 0x7F;
    });
}

}  // namespace qk::platform
