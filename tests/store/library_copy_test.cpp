// The kept copy of the library: its envelope read back as written, and every copy that
// is not exactly what the agent wrote for this account deleted, never shown.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "store/library_copy.h"
#include "support/temp_folder.h"

namespace qk {
namespace {

namespace fs = std::filesystem;

const LibraryCopy kCopy{"pilot@tovrin.example", 1796860800,
                        "tovrin\x01Tovrin Simulations\x02tov-1001\x01Skylane",
                        "success*Alex Pilot*x*0.0825*1|#tov-1001*Skylane 182 Deluxe*a.zip*1.0"};

void expectSame(const LibraryCopy& a, const LibraryCopy& b)
{
    EXPECT_EQ(a.email, b.email);
    EXPECT_EQ(a.savedAt, b.savedAt);
    EXPECT_EQ(a.catalogReply, b.catalogReply);
    EXPECT_EQ(a.purchasesReply, b.purchasesReply);
}

TEST(LibraryCopyEnvelope, ReadsBackWhatWasWrittenAndRefusesEveryChangedEnvelope)
{
    const std::string bytes = encodeLibraryCopy(kCopy);
    LibraryCopy read;
    ASSERT_EQ(decodeLibraryCopy(bytes, read), CopyVerdict::Usable);
    expectSame(read, kCopy);

    std::string otherVersion = bytes;
    otherVersion[14] = 2;  // the version's low byte, right after the magic
    std::string flipped = bytes;
    flipped[bytes.size() / 2] ^= 0x20;
    std::string hugeLength = bytes;
    hugeLength[18 + 7] = 0x7F;  // the e-mail's length claims far more than there is
    const struct {
        const char* what;
        std::string envelope;
        CopyVerdict verdict;
    } cases[] = {
        {"empty", "", CopyVerdict::Damaged},
        {"not an envelope", "success*Alex Pilot", CopyVerdict::Damaged},
        {"magic only", bytes.substr(0, 14), CopyVerdict::Damaged},
        {"cut in a field", bytes.substr(0, bytes.size() / 2), CopyVerdict::Damaged},
        {"cut in the checksum", bytes.substr(0, bytes.size() - 1), CopyVerdict::Damaged},
        {"a byte changed", flipped, CopyVerdict::Damaged},
        {"bytes after the end", bytes + "x", CopyVerdict::Damaged},
        {"a length past the end", hugeLength, CopyVerdict::Damaged},
        {"another format version", otherVersion, CopyVerdict::OtherVersion},
    };
    for (const auto& c : cases) {
        LibraryCopy untouched;
        EXPECT_EQ(decodeLibraryCopy(c.envelope, untouched), c.verdict) << c.what;
        EXPECT_TRUE(untouched.email.empty()) << c.what;
    }
}

class LibraryCopyFolderTest : public ::testing::Test {
protected:
    fs::path folder() const { return temp_ / "library-copy"; }
    fs::path envelope() const { return folder() / "library"; }

    test::TempFolder temp_;
    LibraryCopyFolder copies_{folder()};
};

TEST_F(LibraryCopyFolderTest, WritesTheCopyWholeForItsOwnerOnlyAndGivesItToItsAccountOnly)
{
    ASSERT_TRUE(copies_.write(kCopy));
    struct stat st {};
    ASSERT_EQ(::stat(envelope().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(folder().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    for (const auto& entry : fs::directory_iterator(folder()))
        EXPECT_EQ(entry.path().filename(), "library") << "a temporary file was left";

    ASSERT_TRUE(copies_.keepPicture("tov-1001", "JPEG"));
    const auto read = copies_.readFor(kCopy.email);
    ASSERT_TRUE(read);
    expectSame(*read, kCopy);
    EXPECT_EQ(copies_.picture("tov-1001"), "JPEG");

    // Another account's copy goes, pictures and all.
    EXPECT_FALSE(copies_.readFor("newbie@tovrin.example"));
    EXPECT_FALSE(fs::exists(folder()));
    EXPECT_FALSE(copies_.readFor(kCopy.email));
}

TEST_F(LibraryCopyFolderTest, DeletesWhatIsNotACopyWithoutFollowingLinks)
{
    const fs::path elsewhere = temp_ / "elsewhere";
    const struct {
        const char* what;
        std::function<void()> place;
    } cases[] = {
        {"damaged envelope", [&] { std::ofstream(envelope(), std::ios::binary) << encodeLibraryCopy(kCopy).substr(0, 40); }},
        {"folder in the envelope's place", [&] { fs::create_directories(envelope() / "inner"); }},
        {"link to a valid envelope", [&] {
             std::ofstream(elsewhere, std::ios::binary) << encodeLibraryCopy(kCopy);
             fs::create_symlink(elsewhere, envelope());
         }},
        {"FIFO in the envelope's place", [&] { ASSERT_EQ(::mkfifo(envelope().c_str(), 0600), 0); }},
        {"pictures without an envelope", [&] { std::ofstream(folder() / "p-746f762d31303031") << "JPEG"; }},
    };
    for (const auto& c : cases) {
        fs::remove_all(folder());
        fs::remove(elsewhere);
        fs::create_directories(folder());
        c.place();
        EXPECT_FALSE(copies_.readFor(kCopy.email)) << c.what;
        EXPECT_FALSE(fs::exists(fs::symlink_status(folder()))) << c.what;
        if (fs::exists(elsewhere)) {
            EXPECT_EQ(fs::file_size(elsewhere), encodeLibraryCopy(kCopy).size()) << c.what << ": the link's target changed";
        }
    }

    // The folder itself a link: the link goes, the folder it names stays untouched.
    fs::create_directories(elsewhere.string() + "-folder");
    LibraryCopyFolder(elsewhere.string() + "-folder").write(kCopy);
    fs::create_directory_symlink(elsewhere.string() + "-folder", folder());
    EXPECT_FALSE(copies_.readFor(kCopy.email));
    EXPECT_FALSE(fs::exists(fs::symlink_status(folder())));
    EXPECT_TRUE(fs::exists(elsewhere.string() + "-folder/library"));
}

}  // namespace
}  // namespace qk
