#pragma once
// Text that holds card data or a password: kept in one buffer that never moves, overwritten with
// zeros when it is wiped or destroyed, and never copied.

#include <cstring>
#include <string>
#include <string_view>

namespace qk {

// Overwrites the bytes of `text` (in a way the compiler keeps), then empties it.
inline void wipeText(std::string& text)
{
    if (!text.empty())
        explicit_bzero(text.data(), text.size());
    text.clear();
}

class SecretText {
public:
    static constexpr std::size_t kCapacity = 255;

    SecretText() { value_.reserve(kCapacity); }
    ~SecretText() { wipe(); }
    SecretText(const SecretText&) = delete;
    SecretText& operator=(const SecretText&) = delete;

    // Takes at most kCapacity bytes, so the buffer is never reallocated (and no copy of
    // the old contents left behind).
    void assign(std::string_view text)
    {
        wipe();
        value_.assign(text.substr(0, kCapacity));
    }
    void wipe() { wipeText(value_); }

    [[nodiscard]] const std::string& str() const { return value_; }
    [[nodiscard]] std::size_t size() const { return value_.size(); }

private:
    std::string value_;
};

}  // namespace qk
