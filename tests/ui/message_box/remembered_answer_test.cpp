// Remembered answers: the value name, the key path and the round trip through real files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/settings_store.h"
#include "support/temp_folder.h"
#include "ui/message_box.h"
#include "ui/message_box/remembered_answer.h"

namespace qk::ui {
namespace {

namespace fs = std::filesystem;

using test::TempFolder;

TEST(RememberedValueName, ScramblesByPositionAndCode)
{
    // 'A' 65 -> 65 & 63 = 1 "B"; 'b' 98 + 5 = 103 & 63 = 39 "d"; 0xE9 233 + 10 = 243 & 63 = 51 "p".
    EXPECT_EQ(rememberedValueName("Ab\xE9", 7), "Bdp7");
    // The last two places of the alphabet are "9" and "8": '?' 63 -> "8"; '~' 126 + 5 = 131 & 63 = 3 "D".
    EXPECT_EQ(rememberedValueName("?~", 12), "8D12");
    EXPECT_EQ(rememberedValueName("~", -3), "9-3");
    EXPECT_EQ(rememberedValueName("", 0), "0");
}

TEST(RememberedAnswersKey, CompanyIsLeftOutWhenNoneIsGiven)
{
    EXPECT_EQ(rememberedAnswersKey("Varnel Software", "qk-agent"), "Software\\Varnel Software\\qk-agent\\MessageBox");
    EXPECT_EQ(rememberedAnswersKey("", "qk-agent"), "qk-agent\\MessageBox");
}

TEST(RememberedAnswers, StoredAsDecimalTextAndReadBackOnlyWithACheckBoxBit)
{
    TempFolder folder;
    SettingsStore settings(folder.path());
    RememberedAnswers answers(&settings, "qk-agent");

    EXPECT_FALSE(answers.lookup("Varnel Software", "overwrite", 1));
    ASSERT_TRUE(answers.store("Varnel Software", "overwrite", 1, mb::kDontAskAgain | kIdYes));

    const fs::path file =
        folder.path() / "Software" / "Varnel Software" / "qk-agent" / "MessageBox" / rememberedValueName("overwrite", 1);
    std::ifstream in(file);
    std::string stored;
    std::getline(in, stored);
    EXPECT_EQ(stored, std::to_string(0x01000006u));

    EXPECT_EQ(answers.lookup("Varnel Software", "overwrite", 1), 0x01000006u);
    EXPECT_FALSE(answers.lookup("Varnel Software", "overwrite", 2));  // another ident
    EXPECT_FALSE(answers.lookup("", "overwrite", 1));                 // another key path

    // An answer without a check-box bit is no remembered answer.
    ASSERT_TRUE(answers.store("", "plain", 0, kIdYes));
    EXPECT_FALSE(answers.lookup("", "plain", 0));

    // Without a settings store or a key nothing is remembered.
    RememberedAnswers nowhere(nullptr, "qk-agent");
    EXPECT_FALSE(nowhere.store("", "k", 0, mb::kDontShowAgain | 1));
    EXPECT_FALSE(answers.store("", "", 0, mb::kDontShowAgain | 1));
}

}  // namespace
}  // namespace qk::ui
