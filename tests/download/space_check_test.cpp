// Free space before a download: what it is about to write (partial files of the same
// version count as written), against a figure the test hands over.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "download/partial_identity.h"
#include "download/space_check.h"
#include "support/temp_folder.h"

namespace qk::download {
namespace {

namespace fs = std::filesystem;

class FixedFreeSpace final : public platform::FreeSpace {
public:
    std::optional<std::uint64_t> availableBytes(const fs::path&) override { return figure; }
    std::optional<std::uint64_t> figure;
};

DownloadSubject fileOf(const std::string& name, std::uint64_t byteCount)
{
    DownloadSubject subject;
    subject.fileName = name;
    subject.version = "2.1";
    subject.byteCount = byteCount;
    return subject;
}

class SpaceCheck : public ::testing::Test {
protected:
    void partial(const std::string& name, std::size_t size, const std::string& version)
    {
        std::ofstream(folder / (name + ".part"), std::ios::binary);
        fs::resize_file(folder / (name + ".part"), size);
        ASSERT_TRUE(writeIdentity((folder / (name + ".part.id")).string(), {version, "100", "", ""}));
    }

    test::TempFolder folder;
};

TEST_F(SpaceCheck, APartialFileOfTheSameVersionIsAlreadyWritten)
{
    struct Case {
        const char* what;
        std::size_t partSize;
        const char* partVersion;  // nullptr: no partial file
        std::uint64_t expected;
    };
    for (const Case& c : {Case{"no partial file", 0, nullptr, 100}, Case{"a partial file continued", 40, "2.1", 60},
                          Case{"a partial file of another version", 40, "2.0", 100},
                          Case{"a partial file longer than the order", 150, "2.1", 0}}) {
        SCOPED_TRACE(c.what);
        fs::remove(folder / "a.zip.part");
        fs::remove(folder / "a.zip.part.id");
        if (c.partVersion != nullptr)
            partial("a.zip", c.partSize, c.partVersion);
        EXPECT_EQ(bytesToWrite(folder.path(), {fileOf("a.zip", 100)}), c.expected);
    }
    fs::remove(folder / "a.zip.part.id");
    EXPECT_EQ(bytesToWrite(folder.path(), {fileOf("a.zip", 100)}), 100U) << "a partial file without its identity";
    EXPECT_EQ(bytesToWrite(folder.path(), {fileOf("a.zip", 100), fileOf("b.zip", 0), fileOf("c.zip", 7)}), 107U)
        << "a file the order gives no size for counts nothing";
}

TEST_F(SpaceCheck, ADownloadThatDoesNotFitIsRefusedNamingBothSizes)
{
    FixedFreeSpace space;
    const std::vector<DownloadSubject> files{fileOf("a.zip", 5242880)};
    space.figure = 5242880;
    EXPECT_FALSE(findSpaceShortage(space, folder.path(), files)) << "exactly enough";
    space.figure = std::nullopt;
    EXPECT_FALSE(findSpaceShortage(space, folder.path(), files)) << "a disk that does not say is not refused";
    space.figure = 0;
    EXPECT_FALSE(findSpaceShortage(space, folder.path(), {fileOf("b.zip", 0)})) << "no size, no check";

    space.figure = 1048576;
    const auto shortage = findSpaceShortage(space, folder.path(), files);
    ASSERT_TRUE(shortage);
    EXPECT_EQ(shortage->needed, 5242880U);
    EXPECT_EQ(shortage->available, 1048576U);
    EXPECT_EQ(shortageMessage(*shortage),
              "There is not enough free disk space for this download. It needs 5.00 MB, and the disk of the "
              "download folder has 1.00 MB free.\r\n\r\nPlease make room and try again.");
}

TEST_F(SpaceCheck, TheSystemFigureIsReadForAFolderNotMadeYet)
{
    platform::SystemFreeSpace space;
    const auto figure = space.availableBytes(folder / "VarnelPurchase" / "tovrin");
    ASSERT_TRUE(figure);
    EXPECT_GT(*figure, 0U);
}

}  // namespace
}  // namespace qk::download
