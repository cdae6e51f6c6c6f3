#include "form.h"

#include <algorithm>
#include <charconv>

namespace qk::demo {

std::string formValue(std::string_view body, std::string_view key) {
    while (true) {
        const std::size_t amp = body.find('&');
        const std::string_view pair = body.substr(0, amp);
        const std::size_t eq = pair.find('=');
        if (eq != std::string_view::npos && pair.substr(0, eq) == key) return std::string(pair.substr(eq + 1));
        if (amp == std::string_view::npos) return {};
        body.remove_prefix(amp + 1);
    }
}

std::string percentDecode(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned value = 0;
        if (text[i] == '%' && i + 2 < text.size() &&
            std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16).ptr == text.data() + i + 3) {
            out.push_back(static_cast<char>(value));
            i += 2;
        } else {
            out.push_back(text[i] == '+' ? ' ' : text[i]);
        }
    }
    return out;
}

std::string queryValue(std::string_view query, std::string_view key) {
    while (!query.empty()) {
        const std::size_t amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        const std::size_t eq = pair.find('=');
        if (pair.substr(0, eq) == key) return eq == std::string_view::npos ? std::string() : percentDecode(pair.substr(eq + 1));
        if (amp == std::string_view::npos) break;
        query.remove_prefix(amp + 1);
    }
    return {};
}

}  // namespace qk::demo

namespace qk::demo {
namespace {

// Masks the value of "&key=" in `body`, leaving its last `keep` bytes.
void maskValue(std::string& body, std::string_view key, std::size_t keep) {
    const std::string marker = "&" + std::string(key) + "=";
    const std::size_t at = body.find(marker);
    if (at == std::string::npos) return;
    const std::size_t start = at + marker.size();
    const std::size_t end = std::min(body.find('&', start), body.size());
    const std::size_t length = end - start;
    const std::size_t masked = length > keep ? length - keep : 0;
    body.replace(start, masked, masked, '*');
}

}  // namespace

std::string maskCardData(std::string_view body) {
    std::string masked(body);
    if (formValue(body, "action") != "purchase" || formValue(body, "paypal") == "yes") return masked;
    maskValue(masked, "cardnum", 4);
    maskValue(masked, "ccv", 0);
    return masked;
}

}  // namespace qk::demo
