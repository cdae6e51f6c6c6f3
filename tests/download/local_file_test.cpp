#include "download/local_file.h"
#include "platform/system_locale.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace qk::download {
namespace {

namespace fs = std::filesystem;

class LocalFileTest : public ::testing::Test {
protected:
    static std::string contents(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    test::TempFolder folder_;
    fs::path dir_ = folder_.path();
};

TEST_F(LocalFileTest, ResumeOpenKeepsExistingBytesAndAppendsAtTheEnd)
{
    const fs::path path = dir_ / "part.bin";
    std::ofstream(path, std::ios::binary) << "abcdef";

    std::int64_t offset = -7;
    int fd = openForResume(path.string(), true, offset);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(offset, 6);
    ASSERT_EQ(::write(fd, "gh", 2), 2);
    ::close(fd);
    EXPECT_EQ(contents(path), "abcdefgh");

    // Without the resume the offset is 0, and still nothing is truncated.
    fd = openForResume(path.string(), false, offset);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(offset, 0);
    ::close(fd);
    EXPECT_EQ(contents(path), "abcdefgh");

    EXPECT_EQ(openForResume((dir_ / "missing" / "x.bin").string(), false, offset), -1);
}

TEST_F(LocalFileTest, BufferedWriterKeepsOrderAcrossFlushesAndLargeBlocks)
{
    const fs::path path = dir_ / "out.bin";
    std::int64_t offset = 0;
    const int fd = openForResume(path.string(), false, offset);
    ASSERT_GE(fd, 0);
    std::string expected;
    {
        BufferedFileWriter writer(fd, 16);
        const std::string small = "0123456789";
        const std::string large(40, 'L');  // larger than the whole buffer
        for (const std::string* piece : {&small, &small, &large, &small}) {
            ASSERT_TRUE(writer.write(piece->data(), piece->size()));
            expected += *piece;
        }
        EXPECT_LT(fs::file_size(path), expected.size());  // the tail is still buffered
        ASSERT_TRUE(writer.flush());
    }
    ::close(fd);
    EXPECT_EQ(contents(path), expected);
}

TEST_F(LocalFileTest, BufferedWriterReportsAFullDiskAndStaysFailed)
{
    std::int64_t offset = 0;
    const int fd = openForResume("/dev/full", false, offset);
    ASSERT_GE(fd, 0);
    BufferedFileWriter writer(fd, 8);
    EXPECT_TRUE(writer.write("1234", 4));  // only buffered so far
    EXPECT_FALSE(writer.write("56789", 5));
    EXPECT_TRUE(writer.failed());
    EXPECT_FALSE(writer.write("x", 1));
    EXPECT_FALSE(writer.flush());
    ::close(fd);
}

TEST(DecimalSeparator, ReadsALocaleWithoutTouchingTheProcessOne)
{
    EXPECT_EQ(platform::decimalSeparatorOf("C"), '.');
    EXPECT_EQ(platform::decimalSeparatorOf("no_SUCH.locale"), '.');
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
}

}  // namespace
}  // namespace qk::download
