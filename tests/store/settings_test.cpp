#include <gtest/gtest.h>

#include <fstream>

#include "app/settings.h"
#include "store/credentials.h"
#include "temp_folder.h"

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

TEST_F(Settings, WriteReportsAKeyThatCannotBeCreatedOrAValueThatCannotBeSet)
{
    qk::SettingsStore blocked(folder.path() / "file-not-folder");
    { std::ofstream(folder.path() / "file-not-folder") << "x"; }
    EXPECT_EQ(qk::writeSetting(blocked, "/x", "FolderPath"), 0);

    ASSERT_EQ(qk::writeSetting(settings, "/x", "FolderPath"), 1);
    EXPECT_EQ(qk::writeSetting(settings, "/x", "bad/name"), -1);
}
