// Download records and the file status read from them: real files in a scratch folder.

#include "download/download_folder.h"
#include "download/download_record.h"
#include "download/file_status.h"
#include "download_fixture.h"

#include <cstdlib>
#include <fstream>
#include <ctime>

namespace qk::download {
namespace {

using namespace qk::download::testing;

// 2026-03-01 08:05:09 UTC, a Sunday.
constexpr std::time_t kFirstOfMarch = 1772352309;

// Runs with TZ set for the test's lifetime, restoring the previous zone after.
class TimeZone {
public:
    explicit TimeZone(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            previous_ = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~TimeZone()
    {
        if (previous_)
            ::setenv("TZ", previous_->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }
    TimeZone(const TimeZone&) = delete;
    TimeZone& operator=(const TimeZone&) = delete;

private:
    std::optional<std::string> previous_;
};

TEST(DownloadRecord, DateIsUtcInTheFixedFormWithABlankPaddedDay)
{
    // Fourteen hours ahead of UTC, and a day behind: the record must not move.
    // The POSIX forms need no time-zone database on the machine.
    for (const char* zone : {"UTC", "<+14>-14", "<-11>11", "<+1345>-13:45", "Pacific/Kiritimati"}) {
        TimeZone inZone(zone);
        EXPECT_EQ(recordDate(kFirstOfMarch), "Sun Mar  1 08:05:09 2026") << zone;
    }
    EXPECT_EQ(recordDate(kFirstOfMarch + 9 * 86400 + 3600 * 15), "Tue Mar 10 23:05:09 2026");
}

TEST(DownloadRecord, IsFiveCrLfLinesInTheirOrder)
{
    ScratchFolder folder;
    const std::string path = (folder / "setup.exe.cfg").string();
    const DownloadRecord record{"Skylane 182 Deluxe", "tov-1001", "a=b.zip", "2.1"};
    ASSERT_TRUE(writeDownloadRecord(path, record, kFirstOfMarch));
    EXPECT_EQ(readFile(path),
              "vnproduct=Skylane 182 Deluxe\r\nvnproductid=tov-1001\r\nfilename=a=b.zip\r\n"
              "date=Sun Mar  1 08:05:09 2026\r\nversion=2.1\r\n");

    // Replaced whole, never appended to.
    ASSERT_TRUE(writeDownloadRecord(path, {"P", "p", "f", "1"}, kFirstOfMarch));
    EXPECT_EQ(readFile(path).find("Skylane"), std::string::npos);

    const auto lines = readRecordLines(path);
    ASSERT_TRUE(lines);
    EXPECT_EQ((*lines)[0], "vnproduct=P");
    EXPECT_EQ(recordValue((*lines)[3]), "Sun Mar  1 08:05:09 2026");
    EXPECT_EQ(recordValue("filename=a=b.zip"), "a=b.zip");
    EXPECT_EQ(recordValue("no equals sign"), "no equals sign");
}

TEST(DownloadRecord, UnwritableOrUnreadableRecordsAreNoRecords)
{
    ScratchFolder folder;
    fs::create_directory(folder / "x.zip.cfg");
    EXPECT_FALSE(writeDownloadRecord((folder / "x.zip.cfg").string(), {"P", "p", "x.zip", "1"}, kFirstOfMarch));
    EXPECT_TRUE(fs::is_directory(folder / "x.zip.cfg"));
    EXPECT_FALSE(readRecordLines((folder / "x.zip.cfg").string()));
    EXPECT_FALSE(readRecordLines((folder / "missing.cfg").string()));
    EXPECT_FALSE(writeDownloadRecord((folder / "gone" / "y.cfg").string(), {"P", "p", "y", "1"}, kFirstOfMarch));
}

TEST(DownloadRecord, ReadNoFurtherThanItsFirstFourKibibytes)
{
    // A file named like a record that is one endless line (or huge) is not read whole.
    ScratchFolder folder;
    const fs::path path = folder / "big.zip.cfg";
    {
        std::ofstream out(path, std::ios::binary);
        out << "vnproduct=" << std::string(8 * 1024 * 1024, 'p') << "\r\nvnproductid=p\r\n";
    }
    const auto lines = readRecordLines(path.string());
    ASSERT_TRUE(lines);
    EXPECT_EQ((*lines)[0].size(), 4096u);
    EXPECT_EQ((*lines)[1], "") << "nothing past the first 4 KiB";
}

TEST(DownloadRecord, ParsedFromMemoryLikeTheFile)
{
    const RecordLines lines = parseRecordLines("vnproduct=P\r\nvnproductid=p\nfilename=f\r\r\n");
    EXPECT_EQ(lines[0], "vnproduct=P");
    EXPECT_EQ(lines[1], "vnproductid=p") << "a bare LF ends a line too";
    EXPECT_EQ(lines[2], "filename=f\r") << "only one CR is dropped";
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(parseRecordLines("a\nb\nc\nd\ne\nf\n")[4], "e") << "what follows the fifth line is not read";
    EXPECT_EQ(parseRecordLines("no line end")[0], "no line end");

    // A record of long lines (within the 4 KiB read) reads the same from the file as from memory.
    ScratchFolder folder;
    const std::string path = (folder / "long.zip.cfg").string();
    const std::string text = std::string(3000, 'n') + "\r\n\n" + std::string(3, '=') + "\nx\ny\nz";
    {
        std::ofstream out(path, std::ios::binary);
        out << text;
    }
    EXPECT_EQ(readRecordLines(path), parseRecordLines(text));
}

class FileStatusTest : public ::testing::Test {
protected:
    FileStatusQuery single(const std::string& name = "Skylane.zip")
    {
        return {folder_.path().string(), name, "2.1", "5.00 MB", false, {}};
    }
    ScratchFolder folder_;
};

TEST_F(FileStatusTest, NothingOnDiskIsNotDownloaded)
{
    const FileStatus status = describeFileStatus(single());
    EXPECT_EQ(status.panelText,
              "File: Skylane.zip\r\nFile Size: 5.00 MB\r\nAvailable Version: 2.1\r\nStatus: Not Downloaded");
    EXPECT_FALSE(status.downloaded);
    EXPECT_EQ(status.downloadedFilePath, (folder_ / "Skylane.zip").string());
    EXPECT_TRUE(status.recordedFilePath.empty());
}

TEST_F(FileStatusTest, RecordGivesDateAndVersionsAndTheRecordedPath)
{
    writeFile(folder_ / "Skylane.zip.cfg",
              "vnproduct=Skylane\r\nvnproductid=tov-1001\r\nfilename=Skylane.zip\r\n"
              "date=Mon Dec  7 10:13:12 2026\r\nversion=1.2\r\n");
    const FileStatus status = describeFileStatus(single());
    EXPECT_EQ(status.panelText,
              "File: Skylane.zip\r\nDownloaded on: Mon Dec  7 10:13:12 2026\r\n"
              "Version Downloaded: 1.2\r\nAvailable Version: 2.1");
    EXPECT_TRUE(status.downloaded);
    EXPECT_EQ(status.recordedFilePath, (folder_ / "vnproduct=Skylane").string());
}

TEST_F(FileStatusTest, FileWithoutRecordAndShortRecordsReadAsEmptyValues)
{
    writeFile(folder_ / "Skylane.zip", "bytes");
    FileStatus status = describeFileStatus(single());
    EXPECT_TRUE(status.downloaded);
    EXPECT_EQ(status.panelText,
              "File: \r\nDownloaded on: \r\nVersion Downloaded: \r\nAvailable Version: 2.1");

    writeFile(folder_ / "Other.zip.cfg", "vnproduct=Other\r\nvnproductid=x\r\n");
    status = describeFileStatus(single("Other.zip"));
    EXPECT_TRUE(status.downloaded);
    EXPECT_EQ(status.panelText,
              "File: \r\nDownloaded on: \r\nVersion Downloaded: \r\nAvailable Version: 2.1");

    // A record whose name is taken by a folder cannot be read; the file still counts.
    fs::create_directory(folder_ / "Skylane.zip.cfg");
    EXPECT_TRUE(describeFileStatus(single()).downloaded);
}

TEST_F(FileStatusTest, MultiFileProductTakesTheSizeFromItsListAndShowsNoFileLine)
{
    FileStatusQuery query = single("Part2.zip");
    query.multiFile = true;
    query.sizeText = "stale";
    query.fileList = {{"Part1.zip", "3145728"}, {"Part2.zip", "1593836"}};
    const FileStatus status = describeFileStatus(query);
    EXPECT_EQ(status.sizeText, "1.52 MB");
    EXPECT_EQ(status.panelText, "File Size: 1.52 MB\r\nAvailable Version: 2.1\r\nStatus: Not Downloaded");
}

TEST_F(FileStatusTest, NamesThatLeaveTheFolderAreNeverLookedUp)
{
    fs::create_directories(folder_ / "inner");
    writeFile(folder_ / "secret.zip", "outside");
    writeFile(folder_ / "secret.zip.cfg", "vnproduct=x\r\n");
    for (const std::string name : {"../secret.zip", "..", ".", "", "a\\b", "c:d"}) {
        FileStatusQuery query = single(name);
        query.folder = (folder_ / "inner").string();
        const FileStatus status = describeFileStatus(query);
        EXPECT_FALSE(status.downloaded) << name;
        EXPECT_TRUE(status.downloadedFilePath.empty()) << name;
    }
    // A record whose first line is a path is no way out either.
    writeFile(folder_ / "inner" / "ok.zip.cfg", "../secret.zip\r\n");
    FileStatusQuery query = single("ok.zip");
    query.folder = (folder_ / "inner").string();
    EXPECT_TRUE(describeFileStatus(query).recordedFilePath.empty());
}

TEST(DownloadFolder, IsMadeBelowTheBaseButNeverInPlaceOfAVanishedBase)
{
    ScratchFolder folder;
    const auto made = prepareDownloadFolder(folder.path(), "tovrin");
    ASSERT_TRUE(made);
    EXPECT_EQ(*made, folder.path() / "VarnelPurchase" / "tovrin");
    EXPECT_TRUE(fs::is_directory(*made));
    EXPECT_EQ(prepareDownloadFolder(folder.path(), "tovrin"), made) << "existing folders are fine";

    EXPECT_FALSE(prepareDownloadFolder(folder / "unplugged-drive", "tovrin"));
    EXPECT_FALSE(fs::exists(folder / "unplugged-drive"));
    writeFile(folder / "plain-file", "x");
    EXPECT_FALSE(prepareDownloadFolder(folder / "plain-file", "tovrin"));
    EXPECT_FALSE(prepareDownloadFolder("", "tovrin"));
}

}  // namespace
}  // namespace qk::download
