#include "store/reply.h"

#include <algorithm>

namespace qk {

FieldList splitFields(std::string_view text, char separator)
{
    // Counted first, so a reply of many fields is not moved again and again as the list
    // grows.
    FieldList fields;
    fields.reserve(countFields(text, separator));
    std::size_t start = 0;
    for (std::size_t at = text.find(separator); at != std::string_view::npos;
         at = text.find(separator, start)) {
        fields.emplace_back(text.substr(start, at - start));
        start = at + 1;
    }
    fields.emplace_back(text.substr(start));
    return fields;
}

std::size_t countFields(std::string_view text, char separator)
{
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), separator)) + 1;
}

bool startsWith(std::string_view text, std::string_view token)
{
    return text.size() >= token.size() && text.substr(0, token.size()) == token;
}

std::string formEncode(std::string_view text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size() * 3);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool alnum = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                           (byte >= '0' && byte <= '9');
        if (alnum || std::string_view("-_.!~*'()").find(c) != std::string_view::npos) {
            out.push_back(c);
        } else if (byte == ' ') {
            out.push_back('+');
        } else {
            out.push_back('%');
            out.push_back(kHex[byte >> 4]);
            out.push_back(kHex[byte & 0x0F]);
        }
    }
    return out;
}

std::string toLower(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

}  // namespace qk
