// Which files of an order Download All fetches: missing ones, and damaged ones (the record
// says the order's version is there, the size on disk says otherwise).

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>

#include "download/library_gaps.h"
#include "support/temp_folder.h"

namespace qk::download {
namespace {

namespace fs = std::filesystem;

OrderFields orderOf(std::string_view record)
{
    OrderFields fields;
    readOrderRecord(record, fields);
    return fields;
}

class LibraryGaps : public ::testing::Test {
public:  // the cases below set the disk up through these
    void put(const std::string& name, std::size_t size) { fs::resize_file(touch(name), size); }
    fs::path touch(const std::string& name)
    {
        std::ofstream(folder / name, std::ios::binary);
        return folder / name;
    }
    void record(const std::string& name, const std::string& productId, const std::string& version)
    {
        std::ofstream(folder / (name + ".cfg"), std::ios::binary)
            << "vnproduct=P\r\nvnproductid=" << productId << "\r\nfilename=" << name
            << "\r\ndate=Mon Dec  7 10:13:12 2026\r\nversion=" << version << "\r\n";
    }
    // "name:Missing" / "name:Damaged" for each gap, in order.
    std::vector<std::string> gaps(std::string_view order)
    {
        std::vector<std::string> names;
        for (const LibraryGap& gap : missingOrDamagedFilesOf(orderOf(order), folder.path()))
            names.push_back(gap.subject.fileName + (gap.kind == GapKind::Missing ? ":Missing" : ":Damaged"));
        return names;
    }

    test::TempFolder folder;
};

TEST_F(LibraryGaps, ASingleFileIsMissingDamagedOrThere)
{
    const std::string order = "p1*Skylane*setup.zip*2.1*10";
    struct Case {
        const char* what;
        std::function<void(LibraryGaps&)> disk;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"nothing on disk", [](LibraryGaps&) {}, {"setup.zip:Missing"}},
        {"a partial file only", [](LibraryGaps& t) { t.put("setup.zip.part", 4); }, {"setup.zip:Missing"}},
        {"whole, with its record", [](LibraryGaps& t) { t.put("setup.zip", 10); t.record("setup.zip", "p1", "2.1"); }, {}},
        {"cut, its record names this version", [](LibraryGaps& t) { t.put("setup.zip", 4); t.record("setup.zip", "p1", "2.1"); },
         {"setup.zip:Damaged"}},
        {"longer than ordered", [](LibraryGaps& t) { t.put("setup.zip", 11); t.record("setup.zip", "p1", "2.1"); },
         {"setup.zip:Damaged"}},
        {"cut, without a record", [](LibraryGaps& t) { t.put("setup.zip", 4); }, {}},
        {"cut, recorded in another version", [](LibraryGaps& t) { t.put("setup.zip", 4); t.record("setup.zip", "p1", "2.0"); }, {}},
        {"cut, recorded for another product", [](LibraryGaps& t) { t.put("setup.zip", 4); t.record("setup.zip", "p9", "2.1"); }, {}},
        {"a link in the file's place",
         [](LibraryGaps& t) { t.put("elsewhere", 4); fs::create_symlink(t.folder / "elsewhere", t.folder / "setup.zip"); }, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& entry : fs::directory_iterator(folder.path()))
            fs::remove(entry.path());
        c.disk(*this);
        EXPECT_EQ(gaps(order), c.expected);
    }
    put("setup.zip", 4);
    record("setup.zip", "p1", "2.1");
    EXPECT_TRUE(gaps("p1*Skylane*setup.zip*2.1*").empty()) << "an order without a size checks no size";
}

TEST_F(LibraryGaps, AMultiFileOrderGivesEachGapWithItsPlaceAndSize)
{
    put("A.zip", 4);
    record("A.zip", "p2", "3.0");
    put("B.zip", 1);
    record("B.zip", "p2", "3.0");
    const auto found = missingOrDamagedFilesOf(orderOf("p2*Canyon*A.zip:4/B.zip:3/C.zip:2*3.0*9"), folder.path());
    ASSERT_EQ(found.size(), 2U);
    EXPECT_EQ(found[0].subject.fileName, "B.zip");
    EXPECT_EQ(found[0].kind, GapKind::Damaged);
    EXPECT_EQ(found[0].subject.fileIndex, 1);
    EXPECT_EQ(found[1].subject.fileName, "C.zip");
    EXPECT_EQ(found[1].kind, GapKind::Missing);
    EXPECT_EQ(found[1].subject.fileIndex, 2);
    EXPECT_EQ(found[1].subject.byteCount, 2U);
    EXPECT_EQ(found[1].subject.version, "3.0");
    EXPECT_TRUE(gaps("p3*Name*a\\x.zip*2.0*1").empty()) << "a name that is no plain file name";
    EXPECT_TRUE(gaps("p3*Name**2.0*1").empty()) << "an order without a file";
}

}  // namespace
}  // namespace qk::download
