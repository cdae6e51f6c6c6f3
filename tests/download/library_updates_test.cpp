// Which downloaded files count as library updates: read from the order and from the
// records beside the files, as they stand on disk.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "download/library_updates.h"
#include "download/update_queue.h"
#include "support/temp_folder.h"

namespace qk::download {
namespace {

OrderFields orderOf(std::string_view record)
{
    OrderFields fields;
    readOrderRecord(record, fields);
    return fields;
}

class LibraryUpdates : public ::testing::Test {
protected:
    void put(const std::string& name, std::string_view text)
    {
        std::ofstream(folder.path() / name, std::ios::binary) << text;
    }
    void downloaded(const std::string& name, const std::string& version)
    {
        put(name, "file bytes");
        put(name + ".cfg", "vnproduct=P\r\nvnproductid=p1\r\nfilename=" + name +
                               "\r\ndate=Mon Dec  7 10:13:12 2026\r\nversion=" + version + "\r\n");
    }
    std::vector<std::string> outdatedNames(std::string_view orderRecord)
    {
        std::vector<std::string> names;
        for (const LibraryUpdate& update : outdatedFilesOf(orderOf(orderRecord), folder.path()))
            names.push_back(update.subject.fileName + "@" + update.recordedVersion);
        return names;
    }

    test::TempFolder folder;
};

TEST_F(LibraryUpdates, ASingleFileCountsOnlyWhenItsRecordNamesAnotherVersion)
{
    const std::string order = "p1*Skylane*setup.zip*2.1*5242880*1**CERT*TOV-7*SKY**29.95*1*700101";
    EXPECT_TRUE(outdatedNames(order).empty()) << "nothing downloaded";

    downloaded("setup.zip", "2.1");
    EXPECT_TRUE(outdatedNames(order).empty()) << "the same version";

    downloaded("setup.zip", "2.0");
    const auto updates = outdatedFilesOf(orderOf(order), folder.path());
    ASSERT_EQ(updates.size(), 1U);
    EXPECT_EQ(updates[0].recordedVersion, "2.0");
    const DownloadSubject& subject = updates[0].subject;
    EXPECT_EQ(subject.productId, "p1");
    EXPECT_EQ(subject.productName, "Skylane");
    EXPECT_EQ(subject.fileName, "setup.zip");
    EXPECT_EQ(subject.version, "2.1");
    EXPECT_EQ(subject.byteCount, 5242880U);
    EXPECT_EQ(subject.sizeText, "5.00 MB");
    EXPECT_FALSE(subject.multiFile);
    EXPECT_EQ(subject.postProcessFlag, "1");
    EXPECT_EQ(subject.orderNumber, "700101");
    EXPECT_EQ(subject.postProcessData, "TOV-7");
}

TEST_F(LibraryUpdates, OnlyAFileWithAWholeRecordOfItsOwnCounts)
{
    const std::string order = "p1*Skylane*setup.zip*2.1*10";
    put("setup.zip", "file bytes");
    EXPECT_TRUE(outdatedNames(order).empty()) << "a file without its record";

    put("setup.zip.cfg", "");
    EXPECT_TRUE(outdatedNames(order).empty()) << "an empty record";

    put("setup.zip.cfg", "vnproduct=P\r\nvnproductid=p1\r\nfilename=setup.zip\r\ndate=x\r\n");
    EXPECT_TRUE(outdatedNames(order).empty()) << "a record without its version line";

    put("setup.zip.cfg", "garbage\nmore garbage\n\x01\x02\nversion=1.0\n");
    EXPECT_TRUE(outdatedNames(order).empty()) << "a garbled record";

    put("setup.zip.cfg", "vnproduct=P\r\nvnproductid=p1\r\nfilename=other.zip\r\ndate=x\r\nversion=1.0\r\n");
    EXPECT_TRUE(outdatedNames(order).empty()) << "a record of another file";

    downloaded("setup.zip", "1.0");
    std::filesystem::remove(folder.path() / "setup.zip");
    EXPECT_TRUE(outdatedNames(order).empty()) << "a record whose file is gone";

    std::filesystem::create_symlink(folder.path() / "elsewhere", folder.path() / "setup.zip");
    std::ofstream(folder.path() / "elsewhere") << "x";
    EXPECT_TRUE(outdatedNames(order).empty()) << "a link in the file's place";
}

TEST_F(LibraryUpdates, AMultiFileOrderListsEachOutdatedFileWithItsPlaceInTheList)
{
    const std::string order = "p1*Canyon*Part1.zip:3145728/Part2.zip:2097152/Textures.zip:1048576*3.0*6291456";
    downloaded("Part1.zip", "3.0");
    downloaded("Textures.zip", "2.9");
    put("Part2.zip", "fetched, never recorded");

    const auto updates = outdatedFilesOf(orderOf(order), folder.path());
    ASSERT_EQ(updates.size(), 1U);
    EXPECT_EQ(updates[0].subject.fileName, "Textures.zip");
    EXPECT_TRUE(updates[0].subject.multiFile);
    EXPECT_EQ(updates[0].subject.fileIndex, 2);
    EXPECT_EQ(updates[0].subject.byteCount, 1048576U);
    EXPECT_EQ(updates[0].subject.sizeText, "1.00 MB");

    downloaded("Part1.zip", "");
    EXPECT_EQ(outdatedNames(order), (std::vector<std::string>{"Part1.zip@", "Textures.zip@2.9"}));
}

TEST_F(LibraryUpdates, UnsafeOrMissingFileNamesAreNeverUpdates)
{
    downloaded("a\\x.zip", "1.0");
    EXPECT_TRUE(outdatedNames("p3*Name*a\\x.zip*2.0*1").empty());
    EXPECT_TRUE(outdatedNames("p3*Name**2.0*1").empty());
    EXPECT_TRUE(outdatedNames("p3").empty()) << "a record too short to name files";
}

TEST_F(LibraryUpdates, ASharedFileNameIsQueuedOnceAndAnotherProductsFileIsLeftAloneAndNamed)
{
    // Two products ship "shared.zip"; the one on disk is p1's, fetched as 2.0.
    const std::string p1 = "p1*Skylane*shared.zip*2.1*5242880*1**CERT*TOV-7*SKY**29.95*1*700101";
    const std::string p2 = "p2*Canyon*shared.zip*3.0*4096*1**CERT*TOV-8*CAN**19.95*1*700101";
    downloaded("shared.zip", "2.0");

    EXPECT_EQ(outdatedNames(p2), std::vector<std::string>{}) << "p1's record is no update of p2";
    EXPECT_EQ(filesOfOtherProducts(orderOf(p2), folder.path()), std::vector<std::string>{"shared.zip"});
    EXPECT_TRUE(filesOfOtherProducts(orderOf(p1), folder.path()).empty());

    // Each order's look at the file, twice over: one download, of p1's file, and p2 named.
    const LibraryUpdatePlan plan =
        planLibraryUpdates({orderOf(p1), orderOf(p2), orderOf(p1), orderOf(p2)}, folder.path());
    ASSERT_EQ(plan.files.size(), 1U);
    EXPECT_EQ(plan.files[0].productId, "p1");
    EXPECT_EQ(plan.files[0].version, "2.1");
    EXPECT_EQ(plan.otherProductFiles, std::vector<std::string>{"shared.zip"});

    UpdateQueue queue;
    queue.start(plan.files, {}, plan.otherProductFiles);
    ASSERT_TRUE(queue.next());
    queue.ended(DownloadEnd::Completed);
    EXPECT_FALSE(queue.next());
    EXPECT_EQ(queue.summary(), "1 file was updated.\r\n\r\nThis file belongs to another product and was left "
                               "alone:\r\nshared.zip");
}

}  // namespace
}  // namespace qk::download
