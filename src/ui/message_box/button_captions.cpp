#include "ui/message_box/button_captions.h"

#include <algorithm>

#include "ui/message_box.h"

namespace qk::ui {
namespace {

struct CaptionEntry {
    unsigned stringId;
    std::string_view caption;
};

// Slot order of CaptionSlot.
constexpr std::array<CaptionEntry, kCaptionSlotCount> kCaptionEntries{{
    {9005, "&Abort"},
    {9002, "Cancel"},
    {9009, "&Continue"},
    {9010, "Don't ask me again"},
    {9011, "Don't tell me again"},
    {9012, "Don't show again"},
    {9006, "&Help"},
    {9003, "&Ignore"},
    {9017, "I&gnore All"},
    {9008, "&No"},
    {9014, "N&o to All"},
    {9001, "OK"},
    {9016, "Re&port"},
    {9004, "&Retry"},
    {9018, "&Skip"},
    {9019, "S&kip All"},
    {9015, "&Try Again"},
    {9007, "&Yes"},
    {9013, "Y&es to All"},
}};

constexpr std::size_t index(CaptionSlot slot) { return static_cast<std::size_t>(slot); }

std::string cut(std::string_view text, std::size_t limit)
{
    const auto nul = text.find('\0');
    if (nul != std::string_view::npos)
        text = text.substr(0, nul);
    return std::string(text.substr(0, std::min(text.size(), limit)));
}

struct SetButton {
    int id;
    CaptionSlot slot;
};

std::vector<SetButton> buttonSet(unsigned set)
{
    using S = CaptionSlot;
    switch (set) {
    case 1: return {{kIdOk, S::Ok}, {kIdCancel, S::Cancel}};
    case 2: return {{kIdAbort, S::Abort}, {kIdRetry, S::Retry}, {kIdIgnore, S::Ignore}};
    case 3: return {{kIdYes, S::Yes}, {kIdNo, S::No}, {kIdCancel, S::Cancel}};
    case 4: return {{kIdYes, S::Yes}, {kIdNo, S::No}};
    case 5: return {{kIdRetry, S::Retry}, {kIdCancel, S::Cancel}};
    case 6: return {{kIdCancel, S::Cancel}, {kIdTryAgain, S::TryAgain}, {kIdContinue, S::Continue}};
    case 7: return {{kIdContinue, S::Continue}, {kIdAbort, S::Abort}};
    case 8: return {{kIdSkip, S::Skip}, {kIdSkipAll, S::SkipAll}, {kIdCancel, S::Cancel}};
    case 9: return {{kIdIgnore, S::Ignore}, {kIdIgnoreAll, S::IgnoreAll}, {kIdCancel, S::Cancel}};
    default: return {{kIdOk, S::Ok}};
    }
}

std::vector<ButtonSpec> customButtons(std::string_view text)
{
    std::vector<ButtonSpec> buttons;
    const std::string all = cut(text, kMaxCustomTextLength);
    std::size_t start = 0;
    while (buttons.size() < kMaxCustomButtons && start <= all.size()) {
        auto end = all.find('\n', start);
        if (end == std::string::npos)
            end = all.size();
        // A trailing separator does not make an empty last button.
        if (end == all.size() && start == all.size() && !buttons.empty())
            break;
        buttons.push_back({kIdFirstCustomButton + static_cast<int>(buttons.size()),
                           cut(std::string_view(all).substr(start, end - start), kMaxCaptionLength)});
        start = end + 1;
    }
    return buttons;
}

}  // namespace

unsigned captionStringId(CaptionSlot slot) { return kCaptionEntries[index(slot)].stringId; }

std::string_view builtInCaption(CaptionSlot slot) { return kCaptionEntries[index(slot)].caption; }

CaptionTable loadCaptionTable(const MessageBoxParams& params, unsigned flags)
{
    CaptionTable table;
    for (std::size_t i = 0; i < kCaptionSlotCount; ++i) {
        std::string caption(kCaptionEntries[i].caption);
        if (params.useCustomCaptions) {
            if (!params.customCaptions[i].empty())
                caption = cut(cut(params.customCaptions[i], kMaxCustomTextLength), kMaxCaptionLength);
        } else if ((flags & mb::kNoStringTable) == 0 && params.stringTable) {
            if (auto text = params.stringTable(kCaptionEntries[i].stringId))
                caption = cut(*text, kMaxCaptionLength);
        }
        table[i] = std::move(caption);
    }
    return table;
}

std::vector<ButtonSpec> buttonsFor(const MessageBoxParams& params, unsigned flags,
                                   const CaptionTable& captions)
{
    if (!params.customButtons.empty())
        return customButtons(params.customButtons);

    const unsigned set = flags & 0x0Fu;
    const bool yesNo = set == mb::kYesNo || set == mb::kYesNoCancel;
    std::vector<ButtonSpec> buttons;
    for (const SetButton& b : buttonSet(set)) {
        buttons.push_back({b.id, captions[index(b.slot)]});
        if (yesNo && b.id == kIdYes && (flags & mb::kYesToAll))
            buttons.push_back({kIdYesToAll, captions[index(CaptionSlot::YesToAll)]});
        if (yesNo && b.id == kIdNo && (flags & mb::kNoToAll))
            buttons.push_back({kIdNoToAll, captions[index(CaptionSlot::NoToAll)]});
    }
    if (flags & mb::kHelp)
        buttons.push_back({kIdHelp, captions[index(CaptionSlot::Help)]});
    if (params.report)
        buttons.push_back({kIdReport, captions[index(CaptionSlot::Report)]});
    return buttons;
}

int defaultButtonIndex(unsigned flags, std::size_t buttonCount)
{
    const auto wanted = static_cast<std::size_t>((flags >> 8) & 0x0Fu);
    return wanted < buttonCount && wanted <= 5 ? static_cast<int>(wanted) : 0;
}

CheckBoxChoice checkBoxFor(unsigned flags)
{
    if (flags & mb::kDontAskAgain)
        return {mb::kDontAskAgain, CaptionSlot::DontAskAgain};
    if (flags & mb::kDontTellAgain)
        return {mb::kDontTellAgain, CaptionSlot::DontTellAgain};
    if (flags & mb::kDontShowAgain)
        return {mb::kDontShowAgain, CaptionSlot::DontShowAgain};
    return {};
}

std::string withoutMnemonics(std::string_view caption)
{
    std::string shown;
    shown.reserve(caption.size());
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] != '&') {
            shown += caption[i];
        } else if (i + 1 < caption.size() && caption[i + 1] == '&') {
            shown += '&';
            ++i;
        }
    }
    return shown;
}

int escapeAnswer(const std::vector<ButtonSpec>& buttons)
{
    const bool hasCancel = std::any_of(buttons.begin(), buttons.end(),
                                       [](const ButtonSpec& b) { return b.id == kIdCancel; });
    if (hasCancel)
        return kIdCancel;
    const auto answers = std::count_if(buttons.begin(), buttons.end(), [](const ButtonSpec& b) {
        return b.id != kIdHelp && b.id != kIdReport;
    });
    const bool singleOk = answers == 1 && std::any_of(buttons.begin(), buttons.end(),
                                                      [](const ButtonSpec& b) { return b.id == kIdOk; });
    return singleOk ? kIdOk : 0;
}

std::string clipboardText(std::string_view caption, std::string_view message,
                          const std::vector<ButtonSpec>& buttons)
{
    constexpr std::string_view kDashes = "---------------------------\r\n";
    std::string text;
    text += kDashes;
    text += caption;
    text += "\r\n";
    text += kDashes;
    text += message;
    text += "\r\n";
    text += kDashes;
    for (const ButtonSpec& b : buttons) {
        text += withoutMnemonics(b.caption);
        text += "   ";
    }
    text += "\r\n";
    text += kDashes;
    return text;
}

}  // namespace qk::ui
