#include <gtest/gtest.h>

#include "platform/byte_size_text.h"

namespace qk::platform {
namespace {

TEST(ByteSizeText, BytesUpToTheFirstUnit)
{
    EXPECT_EQ(formatByteSize(0), "0 bytes");
    EXPECT_EQ(formatByteSize(532), "532 bytes");
    EXPECT_EQ(formatByteSize(999), "999 bytes");
    // Four digits never show: 1000 bytes is already a fraction of a KB.
    EXPECT_EQ(formatByteSize(1000), "0.97 KB");
    EXPECT_EQ(formatByteSize(1024), "1.00 KB");
}

TEST(ByteSizeText, ThreeSignificantDigitsCutNotRounded)
{
    EXPECT_EQ(formatByteSize(1594884), "1.52 MB");    // 1.5210 MB
    EXPECT_EQ(formatByteSize(15948840), "15.2 MB");
    EXPECT_EQ(formatByteSize(159488400), "152 MB");
    EXPECT_EQ(formatByteSize(1048575), "0.99 MB");    // 1023.99 KB: cut, never "1.00 MB"
    EXPECT_EQ(formatByteSize(10239), "9.99 KB");      // just below the 10 KB step
    EXPECT_EQ(formatByteSize(10240), "10.0 KB");
    EXPECT_EQ(formatByteSize(102400), "100 KB");
    EXPECT_EQ(formatByteSize(5242880), "5.00 MB");
}

TEST(ByteSizeText, LargeUnitsUpToTheLargestCount)
{
    EXPECT_EQ(formatByteSize(1ULL << 30), "1.00 GB");
    EXPECT_EQ(formatByteSize(1ULL << 40), "1.00 TB");
    EXPECT_EQ(formatByteSize(UINT64_MAX), "15.9 EB");
}

TEST(ByteSizeText, ParsesOnlyPlainDecimalCounts)
{
    EXPECT_EQ(parseByteCount("5242880"), 5242880u);
    EXPECT_EQ(parseByteCount("18446744073709551615"), UINT64_MAX);
    EXPECT_FALSE(parseByteCount("18446744073709551616"));
    EXPECT_FALSE(parseByteCount(""));
    EXPECT_FALSE(parseByteCount("12 MB"));
    EXPECT_FALSE(parseByteCount("-5"));
    EXPECT_FALSE(parseByteCount("0x10"));
}

}  // namespace
}  // namespace qk::platform
