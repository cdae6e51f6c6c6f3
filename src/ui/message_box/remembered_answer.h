#pragma once
// Answers the user asked the box to remember ("Don't ask me again" and its kin), kept
// in the settings store under the program's own "MessageBox" key.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qk {
class SettingsStore;
}

namespace qk::ui {

// The value name of a remembered answer: the key scrambled character by character,
// followed by the ident in decimal.
std::string rememberedValueName(std::string_view rememberKey, int rememberIdent);

// "Software\<company>\<program>\MessageBox", or "<program>\MessageBox" without company.
std::string rememberedAnswersKey(std::string_view company, std::string_view programFileName);

class RememberedAnswers {
public:
    // `settings` may be null: nothing is remembered then.
    RememberedAnswers(SettingsStore* settings, std::string programFileName);

    // The stored answer when it carries one of the three check-box bits.
    [[nodiscard]] std::optional<std::uint32_t> lookup(std::string_view company,
                                                      std::string_view rememberKey,
                                                      int rememberIdent) const;
    bool store(std::string_view company, std::string_view rememberKey, int rememberIdent,
               std::uint32_t answer);

private:
    SettingsStore* settings_;
    std::string programFileName_;
};

}  // namespace qk::ui
