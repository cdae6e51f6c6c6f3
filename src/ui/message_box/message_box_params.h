#pragma once
// The optional parameter block of the agent's message box. Plain data without Qt, so
// presenters outside ui/ (the coupon question) can fill one. The box copies it on entry.

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace qk::ui {

// Slots of the caption table, in table order.
enum class CaptionSlot : int {
    Abort = 0,
    Cancel,
    Continue,
    DontAskAgain,
    DontTellAgain,
    DontShowAgain,
    Help,
    Ignore,
    IgnoreAll,
    No,
    NoToAll,
    Ok,
    Report,
    Retry,
    Skip,
    SkipAll,
    TryAgain,
    Yes,
    YesToAll,
};
inline constexpr std::size_t kCaptionSlotCount = 19;

// Option bits of MessageBoxParams::options.
namespace mbo {
inline constexpr unsigned kRightAlignedButtons = 1;
inline constexpr unsigned kFramed = 2;  // includes kRightAlignedButtons
inline constexpr unsigned kThirdScreenText = 4;
}  // namespace mbo

struct MessageBoxParams {
    int countdownSeconds = 0;  // default button pressed when it runs out; 0: none
    int disabledSeconds = 0;   // answer buttons disabled this long; 0: none
    int x = 0;                 // screen position; both 0: centred on the owner
    int y = 0;
    unsigned options = 0;      // mbo:: bits

    // The resource module's string table: the text for a string id, or nothing when
    // the module has none. Unset: no module (the agent has no string table).
    std::function<std::optional<std::string>(unsigned stringId)> stringTable;

    unsigned helpContext = 0;     // topic shown by "&Help"; 0: keyword search
    std::function<void()> report; // called by "Re&port"; unset: no such button

    std::string customIcon;       // icon file or resource path replacing the standard icon

    // Up to four captions separated by "\n" (at most 259 bytes); these buttons, ids 23
    // to 26 from left to right, replace the button set of the flags.
    std::string customButtons;

    bool useCustomCaptions = false;
    // One text per caption slot (at most 259 bytes each); empty keeps the built-in one.
    std::array<std::string, kCaptionSlotCount> customCaptions{};

    std::string rememberKey;  // with rememberIdent forms the remembered answer's value name
    int rememberIdent = 0;
    std::string company;      // company part of the remembered answers' key path

    // Message area colours as 0xRRGGBB; -1: the system's window text / window colour.
    long textColour = -1;
    long backgroundColour = -1;

    void setCustomCaption(CaptionSlot slot, std::string text)
    {
        customCaptions[static_cast<std::size_t>(slot)] = std::move(text);
    }
};

}  // namespace qk::ui
