#pragma once
// Store replies are delimited text, classified by prefix tokens before they are split.
// Also the form encoder, ASCII lower-casing and the request-body builder.

#include <string>
#include <string_view>
#include <vector>

#include "platform/secret_text.h"

namespace qk {

using FieldList = std::vector<std::string>;

// Reply status tokens, tested with startsWith (or whole-text equality where noted).
namespace token {
inline constexpr std::string_view kWebPage = "<!DOCTYPE";
inline constexpr std::string_view kVersionRefused = "err:version";  // whole reply
inline constexpr std::string_view kSuccess = "success";
inline constexpr std::string_view kError1 = "Error:1";
inline constexpr std::string_view kNothingToList = "Error: 2";
inline constexpr std::string_view kUserMessage = "Error: ";
inline constexpr std::string_view kError = "Error:";
}  // namespace token

// The protocol-version pairs most store requests carry.
inline constexpr std::string_view kProtocolVersionPairs = "&version=2.11&qk=2";

// N separators give N + 1 fields; empty fields are kept in place.
FieldList splitFields(std::string_view text, char separator);

// How many fields splitFields would give, without making them: a reader that needs an
// exact number of fields checks it first, so a reply of a million separators costs no
// million empty fields.
std::size_t countFields(std::string_view text, char separator);

// The same fields one at a time, as views into `text` (nothing is copied), so a reply of
// any size is walked in constant memory.
class FieldReader {
public:
    FieldReader(std::string_view text, char separator) : text_(text), separator_(separator) {}

    // The next field; false once the last one was read.
    bool next(std::string_view& field)
    {
        if (done_)
            return false;
        const std::size_t at = text_.find(separator_, start_);
        if (at == std::string_view::npos) {
            field = text_.substr(start_);
            done_ = true;
        } else {
            field = text_.substr(start_, at - start_);
            start_ = at + 1;
        }
        return true;
    }

private:
    std::string_view text_;
    char separator_;
    std::size_t start_ = 0;
    bool done_ = false;
};

// A store reply shown whole in a message box (an "Error:" answer) is cut to this many
// characters: a box of a megabyte of text would outgrow the screen and could not be read
// or closed. The store's code page has one byte per character, so any cut is on a
// character boundary.
inline constexpr std::size_t kShownStoreMessageMax = 4 * 1024;
inline std::string_view shownStoreMessage(std::string_view reply)
{
    return reply.substr(0, kShownStoreMessageMax);
}

// Case-sensitive; false when the text is shorter than the token.
bool startsWith(std::string_view text, std::string_view token);

// Letters, digits and -_.!~*'() stay; a blank becomes "+"; every other byte "%xx"
// in lower-case hexadecimal.
std::string formEncode(std::string_view text);

// Only "A"…"Z" change.
std::string toLower(std::string_view text);

// A request body: literal key texts (each beginning with "&" after the first pair) and
// values, concatenated as they stand in the order given. Most bodies carry the password:
// each add() makes room for all its parts at once, so no half-built copy is left behind
// in freed memory, and the text is overwritten when the builder goes.
class RequestBody {
public:
    RequestBody() = default;
    explicit RequestBody(std::string_view firstPair) : text_(firstPair) {}
    RequestBody(const RequestBody&) = delete;
    RequestBody& operator=(const RequestBody&) = delete;
    ~RequestBody() { wipeText(text_); }

    template <typename... Parts>
    RequestBody& add(const Parts&... parts)
    {
        const std::string_view views[] = {std::string_view(parts)...};
        std::size_t size = text_.size();
        for (const std::string_view part : views)
            size += part.size();
        if (size > text_.capacity()) {
            std::string grown;
            grown.reserve(size);
            grown.append(text_);
            wipeText(text_);
            text_.swap(grown);
        }
        for (const std::string_view part : views)
            text_.append(part);
        return *this;
    }

    [[nodiscard]] const std::string& text() const { return text_; }
    // Hands the text over without a copy; the builder is empty after it.
    [[nodiscard]] std::string release()
    {
        std::string taken;
        taken.swap(text_);
        return taken;
    }

private:
    std::string text_;
};

}  // namespace qk
