#pragma once
// The caption table of the message box and the buttons a box shows. No Qt here: these
// are the rules that decide what the box says, kept apart from how it is drawn.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "ui/message_box/message_box_params.h"

namespace qk::ui {

// Ids of the buttons beyond the platform's seven answers.
inline constexpr int kIdTryAgain = 10;
inline constexpr int kIdContinue = 11;
inline constexpr int kIdSkip = 14;
inline constexpr int kIdSkipAll = 15;
inline constexpr int kIdIgnoreAll = 16;
inline constexpr int kIdYesToAll = 19;
inline constexpr int kIdNoToAll = 20;
inline constexpr int kIdFirstCustomButton = 23;
inline constexpr int kIdLastCustomButton = 26;
inline constexpr int kIdHelp = 300;
inline constexpr int kIdReport = 301;

inline constexpr std::size_t kMaxCaptionLength = 99;
inline constexpr std::size_t kMaxCustomTextLength = 259;
inline constexpr std::size_t kMaxCustomButtons = 4;

using CaptionTable = std::array<std::string, kCaptionSlotCount>;

// String-table id and built-in caption of a slot.
unsigned captionStringId(CaptionSlot slot);
std::string_view builtInCaption(CaptionSlot slot);

// The captions in force: the custom captions when the parameter block asks for them
// (an empty one keeps the built-in caption); otherwise, unless `flags` forbids it, the
// string table of the resource module; the built-in caption wherever nothing else is had.
CaptionTable loadCaptionTable(const MessageBoxParams& params, unsigned flags);

struct ButtonSpec {
    int id = 0;
    std::string caption;
};

// The buttons of the box, left to right: the custom buttons when given, else the set
// of the flags with Yes/No to All, "&Help" and "Re&port" as requested.
std::vector<ButtonSpec> buttonsFor(const MessageBoxParams& params, unsigned flags,
                                   const CaptionTable& captions);

// Index of the default button: the bits 0x0F00 of the flags, the first button when
// the box has fewer.
int defaultButtonIndex(unsigned flags, std::size_t buttonCount);

// The check box of the don't-ask kind the flags ask for: its flag bit and caption slot,
// or bit 0 when none.
struct CheckBoxChoice {
    unsigned bit = 0;
    CaptionSlot slot = CaptionSlot::DontAskAgain;
};
CheckBoxChoice checkBoxFor(unsigned flags);

// A caption as the box shows it: "&&" is a literal ampersand, any other "&" only marks
// the access key.
std::string withoutMnemonics(std::string_view caption);

// Answers Escape and the close box give: Cancel where the box has a Cancel button, OK
// for a single OK box, 0 (ignored) otherwise.
int escapeAnswer(const std::vector<ButtonSpec>& buttons);

// The plain-text copy of a box that Ctrl+C puts on the clipboard.
std::string clipboardText(std::string_view caption, std::string_view message,
                          const std::vector<ButtonSpec>& buttons);

}  // namespace qk::ui
