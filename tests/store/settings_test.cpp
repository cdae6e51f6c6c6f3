#include <gtest/gtest.h>

#include <fstream>

#include "app/settings.h"
#include "store/credentials.h"
#include "support/temp_folder.h"

namespace {

class Settings : public ::testing::Test {
protected:
    qk::test::TempFolder folder;
    qk::SettingsStore settings{folder.path() / "config"};
    qk::Deployment deployment = [this] {
        qk::Deployment d;
        d.appDataDir = folder.path() / "appdata";
        return d;
    }();
};

}  // namespace

TEST_F(Settings, WithoutTheKeyTheBufferStaysAndDownloadsGoBelowAppData)
{
    std::string buffer = "prior";
    EXPECT_EQ(qk::readSetting(settings, "FolderPath", buffer), 0);
    EXPECT_EQ(buffer, "prior");
    EXPECT_EQ(qk::readDownloadBase(settings, deployment), deployment.appDataDir.string());
    EXPECT_EQ(qk::productDownloadFolder(qk::readDownloadBase(settings, deployment), "tovrin"),
              deployment.appDataDir / "VarnelPurchase" / "tovrin");
}

TEST_F(Settings, MissingOrEmptyFolderPathBehavesAsAbsent)
{
    ASSERT_EQ(qk::writeSetting(settings, "", "FolderPath"), 1) << "creates the key";
    std::string buffer = "prior";
    EXPECT_EQ(qk::readSetting(settings, "FolderPath", buffer), 1);
    EXPECT_EQ(buffer, "prior");
    EXPECT_EQ(qk::readSetting(settings, "nosuchvalue", buffer), 1);
    EXPECT_EQ(buffer, "prior");
    EXPECT_EQ(qk::readDownloadBase(settings, deployment), deployment.appDataDir.string());

    ASSERT_EQ(qk::writeSetting(settings, "/data/games", "FolderPath"), 1);
    EXPECT_EQ(qk::readDownloadBase(settings, deployment), "/data/games");
    EXPECT_EQ(settings.keyFolder(qk::kSettingsKey),
              folder.path() / "config" / "Software" / "Varnel Software" / "VNPurchase");
}

TEST_F(Settings, ValuesReadAsAtMost255Bytes)
{
    ASSERT_EQ(qk::writeSetting(settings, std::string(300, 'x'), "FolderPath"), 1);
    std::string buffer;
    EXPECT_EQ(qk::readSetting(settings, "FolderPath", buffer), 1);
    EXPECT_EQ(buffer, std::string(255, 'x'));
}

TEST_F(Settings, AFolderPathReadsBackWholeUpTo255BytesAndIsNeverCutInsideACharacter)
{
    // 255 bytes of UTF-8 (fewer characters): the path comes back as written.
    std::string fits = "/home/ana/";
    while (fits.size() + 2 <= 255)
        fits += "\xC3\xA9";  // "é"
    fits.resize(255, 'x');
    ASSERT_EQ(fits.size(), 255u);
    EXPECT_TRUE(qk::settingReadsBackWhole(fits));
    ASSERT_EQ(qk::writeSetting(settings, fits, "FolderPath"), 1);
    EXPECT_EQ(qk::readDownloadBase(settings, deployment), fits);

    // One byte more does not read back whole; nor does a NUL, where a read stops.
    EXPECT_FALSE(qk::settingReadsBackWhole(fits + "x"));
    EXPECT_FALSE(qk::settingReadsBackWhole(std::string("/data\0games", 11)));
    EXPECT_TRUE(qk::settingReadsBackWhole(""));

    // A longer path already stored (by an earlier version that took 259 bytes) comes back
    // cut before the character that straddles byte 255, not in the middle of it.
    const std::string head(254, 'p');
    ASSERT_EQ(qk::writeSetting(settings, head + "\xC3\xA9" "/x", "FolderPath"), 1);
    EXPECT_EQ(qk::readDownloadBase(settings, deployment), head);
    const std::string shorter(253, 'p');
    ASSERT_EQ(qk::writeSetting(settings, shorter + "\xE2\x82\xAC" "/x", "FolderPath"), 1);
    EXPECT_EQ(qk::readDownloadBase(settings, deployment), shorter);

    // readSetting itself serves Windows-1252 settings, where every byte is a character:
    // it still cuts at byte 255.
    std::string buffer;
    EXPECT_EQ(qk::readSetting(settings, "FolderPath", buffer), 1);
    EXPECT_EQ(buffer, shorter + "\xE2\x82");
}

TEST_F(Settings, WriteReportsAKeyThatCannotBeCreatedOrAValueThatCannotBeSet)
{
    qk::SettingsStore blocked(folder.path() / "file-not-folder");
    { std::ofstream(folder.path() / "file-not-folder") << "x"; }
    EXPECT_EQ(qk::writeSetting(blocked, "/x", "FolderPath"), 0);

    ASSERT_EQ(qk::writeSetting(settings, "/x", "FolderPath"), 1);
    EXPECT_EQ(qk::writeSetting(settings, "/x", "bad/name"), -1);
}

TEST(DownloadBase, FromTheStoredValueOrTheFallback)
{
    EXPECT_EQ(qk::downloadBaseOf(std::nullopt, "/fallback"), "/fallback");
    EXPECT_EQ(qk::downloadBaseOf(std::string(), "/fallback"), "/fallback");
    EXPECT_EQ(qk::downloadBaseOf(std::string("\0/data", 6), "/fallback"), "/fallback")
        << "a value that reads empty through the buffer";
    EXPECT_EQ(qk::downloadBaseOf(std::string("/data\0/games", 12), "/fallback"), "/data");
    EXPECT_EQ(qk::parseStoredNumber("4294967295"), 4294967295u);
    EXPECT_FALSE(qk::parseStoredNumber("4294967296"));
    EXPECT_FALSE(qk::parseStoredNumber(" 6"));
    EXPECT_FALSE(qk::parseStoredNumber(""));
}
