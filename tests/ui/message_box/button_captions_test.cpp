// The rules that decide what a box says: buttons, captions, default, Escape, Ctrl+C.
#include <gtest/gtest.h>

#include "ui/message_box.h"
#include "ui/message_box/button_captions.h"

namespace qk::ui {
namespace {

std::vector<int> ids(const std::vector<ButtonSpec>& buttons)
{
    std::vector<int> out;
    for (const auto& b : buttons)
        out.push_back(b.id);
    return out;
}

std::vector<std::string> captions(const std::vector<ButtonSpec>& buttons)
{
    std::vector<std::string> out;
    for (const auto& b : buttons)
        out.push_back(b.caption);
    return out;
}

TEST(ButtonSets, EachSetHasItsButtonsAndIdsLeftToRight)
{
    const MessageBoxParams none;
    const CaptionTable table = loadCaptionTable(none, 0);
    const std::vector<std::vector<int>> expected = {
        {1}, {1, 2}, {3, 4, 5}, {6, 7, 2}, {6, 7}, {4, 2}, {2, 10, 11}, {11, 3}, {14, 15, 2}, {5, 16, 2},
        {1}, {1}, {1}, {1}, {1}, {1}};
    for (unsigned set = 0; set < expected.size(); ++set)
        EXPECT_EQ(ids(buttonsFor(none, set, table)), expected[set]) << "set " << set;

    EXPECT_EQ(captions(buttonsFor(none, 6, table)),
              (std::vector<std::string>{"Cancel", "&Try Again", "&Continue"}));
    EXPECT_EQ(captions(buttonsFor(none, 8, table)), (std::vector<std::string>{"&Skip", "S&kip All", "Cancel"}));
}

TEST(ButtonSets, ToAllHelpAndReportJoinInTheirPlaces)
{
    MessageBoxParams params;
    const CaptionTable table = loadCaptionTable(params, 0);
    EXPECT_EQ(ids(buttonsFor(params, mb::kYesNoCancel | mb::kYesToAll | mb::kNoToAll, table)),
              (std::vector<int>{6, 19, 7, 20, 2}));
    EXPECT_EQ(captions(buttonsFor(params, mb::kYesNo | mb::kNoToAll, table)),
              (std::vector<std::string>{"&Yes", "&No", "N&o to All"}));
    // The to-All buttons belong to Yes/No sets only.
    EXPECT_EQ(ids(buttonsFor(params, mb::kOkCancel | mb::kYesToAll | mb::kNoToAll, table)),
              (std::vector<int>{1, 2}));

    params.report = [] {};
    EXPECT_EQ(ids(buttonsFor(params, mb::kRetryCancel | mb::kHelp, table)),
              (std::vector<int>{4, 2, kIdHelp, kIdReport}));
    EXPECT_EQ(captions(buttonsFor(params, mb::kHelp, table)),
              (std::vector<std::string>{"OK", "&Help", "Re&port"}));
}

TEST(ButtonSets, CustomButtonsReplaceTheSetWithIds23To26)
{
    MessageBoxParams params;
    params.customButtons = "One\nTwo\nThree\nFour\nFive";
    const CaptionTable table = loadCaptionTable(params, 0);
    const auto buttons = buttonsFor(params, mb::kYesNo | mb::kHelp, table);
    EXPECT_EQ(ids(buttons), (std::vector<int>{23, 24, 25, 26}));
    EXPECT_EQ(captions(buttons), (std::vector<std::string>{"One", "Two", "Three", "Four"}));

    params.customButtons = "Keep\nDrop\n";
    EXPECT_EQ(captions(buttonsFor(params, 0, table)), (std::vector<std::string>{"Keep", "Drop"}));

    params.customButtons = std::string(300, 'x');
    const auto cut = buttonsFor(params, 0, table);
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_EQ(cut[0].caption.size(), kMaxCaptionLength);
}

TEST(CaptionTable, CustomCaptionsStringTableAndBuiltIns)
{
    // The coupon question: custom captions in the Yes and No slots, built-in elsewhere.
    MessageBoxParams coupon;
    coupon.useCustomCaptions = true;
    coupon.setCustomCaption(CaptionSlot::Yes, "Auto-Lookup (Upgrades Only)");
    coupon.setCustomCaption(CaptionSlot::No, "Enter Manually");
    const unsigned couponFlags = 0x20000023;
    EXPECT_EQ(captions(buttonsFor(coupon, couponFlags, loadCaptionTable(coupon, couponFlags))),
              (std::vector<std::string>{"Auto-Lookup (Upgrades Only)", "Enter Manually", "Cancel"}));

    // A module's string table is asked by id unless the flags forbid it; a missing
    // string falls back to the built-in caption.
    MessageBoxParams module;
    module.stringTable = [](unsigned id) -> std::optional<std::string> {
        if (id == captionStringId(CaptionSlot::Yes))
            return std::string("&Ja");
        return std::nullopt;
    };
    EXPECT_EQ(captions(buttonsFor(module, mb::kYesNo, loadCaptionTable(module, mb::kYesNo))),
              (std::vector<std::string>{"&Ja", "&No"}));
    EXPECT_EQ(captions(buttonsFor(module, mb::kYesNo | mb::kNoStringTable,
                                  loadCaptionTable(module, mb::kYesNo | mb::kNoStringTable))),
              (std::vector<std::string>{"&Yes", "&No"}));

    // Custom captions win over the string table even where one is empty.
    module.useCustomCaptions = true;
    EXPECT_EQ(loadCaptionTable(module, 0)[static_cast<std::size_t>(CaptionSlot::Yes)], "&Yes");

    EXPECT_EQ(captionStringId(CaptionSlot::Ok), 9001u);
    EXPECT_EQ(builtInCaption(CaptionSlot::YesToAll), "Y&es to All");
}

TEST(DefaultAndEscape, DefaultBitsAndTheEscapeRule)
{
    EXPECT_EQ(defaultButtonIndex(0x000, 3), 0);
    EXPECT_EQ(defaultButtonIndex(0x100, 3), 1);
    EXPECT_EQ(defaultButtonIndex(0x200, 3), 2);
    EXPECT_EQ(defaultButtonIndex(0x300, 3), 0);  // fewer buttons: the first
    EXPECT_EQ(defaultButtonIndex(0x500, 7), 5);
    EXPECT_EQ(defaultButtonIndex(0x600, 7), 0);

    EXPECT_EQ(escapeAnswer({{1, "OK"}}), kIdOk);
    EXPECT_EQ(escapeAnswer({{1, "OK"}, {kIdHelp, "&Help"}}), kIdOk);
    EXPECT_EQ(escapeAnswer({{6, "&Yes"}, {7, "&No"}, {2, "Cancel"}}), kIdCancel);
    EXPECT_EQ(escapeAnswer({{6, "&Yes"}, {7, "&No"}}), 0);
    EXPECT_EQ(escapeAnswer({{3, "&Abort"}, {4, "&Retry"}, {5, "&Ignore"}}), 0);
    EXPECT_EQ(escapeAnswer({{23, "OK"}}), 0);  // a custom button is no OK button

    EXPECT_EQ(checkBoxFor(0).bit, 0u);
    EXPECT_EQ(checkBoxFor(mb::kDontTellAgain).slot, CaptionSlot::DontTellAgain);
    EXPECT_EQ(checkBoxFor(mb::kDontShowAgain | mb::kDontTellAgain).bit, mb::kDontTellAgain);
}

TEST(ClipboardText, TheBoxAsDashedBlocks)
{
    EXPECT_EQ(withoutMnemonics("Y&es to All"), "Yes to All");
    EXPECT_EQ(withoutMnemonics("Save && &Quit"), "Save & Quit");

    const std::string expected =
        "---------------------------\r\n"
        "Confirm\r\n"
        "---------------------------\r\n"
        "Delete the file?\r\nIt cannot be undone.\r\n"
        "---------------------------\r\n"
        "Yes   No   Cancel   \r\n"
        "---------------------------\r\n";
    EXPECT_EQ(clipboardText("Confirm", "Delete the file?\r\nIt cannot be undone.",
                            {{6, "&Yes"}, {7, "&No"}, {2, "Cancel"}}),
              expected);
}

}  // namespace
}  // namespace qk::ui
