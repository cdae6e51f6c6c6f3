#pragma once
// A text held in a fixed-size field of the store protocol: at most Width - 1 bytes,
// cut on assignment (and at an embedded NUL, as the C field it stands for would be),
// so an over-long value never spills into a neighbouring field.

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace qk {

// `text` as a fixed-size field of `width` bytes (terminator included) holds it: up to its
// first NUL, and at most width - 1 bytes.
[[nodiscard]] constexpr std::string_view cutToField(std::string_view text, std::size_t width)
{
    const auto nul = text.find('\0');
    if (nul != std::string_view::npos)
        text = text.substr(0, nul);
    return text.substr(0, std::min(text.size(), width - 1));
}

template <std::size_t Width>
class FixedText {
    static_assert(Width >= 1, "a field holds at least its terminator");

public:
    static constexpr std::size_t capacity = Width - 1;

    FixedText() = default;
    FixedText(std::string_view text) { assign(text); }  // NOLINT: implicit by design
    FixedText(const char* text) { assign(text ? std::string_view(text) : std::string_view()); }  // NOLINT
    FixedText(const std::string& text) { assign(text); }  // NOLINT

    FixedText& operator=(std::string_view text) { assign(text); return *this; }
    FixedText& operator=(const std::string& text) { assign(text); return *this; }
    FixedText& operator=(const char* text) { assign(text ? std::string_view(text) : std::string_view()); return *this; }

    void assign(std::string_view text) { value_.assign(cutToField(text, Width)); }

    void clear() { value_.clear(); }
    [[nodiscard]] bool empty() const { return value_.empty(); }
    [[nodiscard]] std::size_t size() const { return value_.size(); }
    [[nodiscard]] const std::string& str() const { return value_; }
    [[nodiscard]] const char* c_str() const { return value_.c_str(); }
    operator const std::string&() const { return value_; }  // NOLINT: reads like the field it is
    operator std::string_view() const { return value_; }    // NOLINT

    friend bool operator==(const FixedText& a, std::string_view b) { return a.value_ == b; }

private:
    std::string value_;
};

}  // namespace qk
