#include "download/content_range.h"
#include "download/progress_text.h"

#include <gtest/gtest.h>

#include <limits>

namespace qk::download {
namespace {

TEST(RemainingTime, ShowsOnlyTheUnitsThatAreThere)
{
    EXPECT_EQ(formatRemainingTime(3725), "1 Hrs 2 Min 5 Sec");
    EXPECT_EQ(formatRemainingTime(120), "2 Min 0 Sec");
    EXPECT_EQ(formatRemainingTime(59), "59 Sec");
    EXPECT_EQ(formatRemainingTime(3600), "1 Hrs 0 Sec");
    EXPECT_EQ(formatRemainingTime(0 + 1), "1 Sec");
    EXPECT_EQ(formatRemainingTime(0), "0 Sec");
}

TEST(SpeedText, SwitchesUnitAtExactPowersOf1024)
{
    EXPECT_EQ(formatSpeed(0), "0.00 Bytes/sec");
    EXPECT_EQ(formatSpeed(512), "512.00 Bytes/sec");
    EXPECT_EQ(formatSpeed(1023), "1023.00 Bytes/sec");
    EXPECT_EQ(formatSpeed(1024), "1.00 KB/sec");
    EXPECT_EQ(formatSpeed(1048575), "1024.00 KB/sec");
    EXPECT_EQ(formatSpeed(1048576), "1.00 MB/sec");
    EXPECT_EQ(formatSpeed(1.2 * 1048576), "1.20 MB/sec");
    EXPECT_EQ(formatSpeed(37.555 * 1024), "37.55 KB/sec");
}

TEST(SpeedAndEstimate, NeverDivideByZeroOrGoNegative)
{
    EXPECT_EQ(transferSpeed(10240, 0), 0.0);
    EXPECT_EQ(transferSpeed(0, 0), 0.0);
    EXPECT_DOUBLE_EQ(transferSpeed(2048, 2000), 1024.0);

    EXPECT_EQ(remainingSeconds(1000, 0.0), 0);
    EXPECT_EQ(remainingSeconds(-5, 100.0), 0);  // a server sending more than it announced
    EXPECT_EQ(remainingSeconds(1999, 1000.0), 1);  // cut toward zero
    EXPECT_EQ(remainingSeconds(std::numeric_limits<std::int64_t>::max(), 1.0),
              std::numeric_limits<std::int32_t>::max() - 1);  // +1 for display must not overflow
}

TEST(ProgressTextBuilder, ComposesFiveFieldsWithTheLocaleSeparator)
{
    ProgressTextBuilder dot('.');
    dot.compose(425, 1000, "1000", 2048.0, 119, kStatusDownloading);
    EXPECT_EQ(dot.text(), "42.50000000|1000|2.00 KB/sec|2 Min 0 Sec|Downloading");

    ProgressTextBuilder comma(',');
    comma.compose(425, 1000, "1000", 512.0, 0, "");
    EXPECT_EQ(comma.text(), "42,50000000|1000|512.00 Bytes/sec|1 Sec|");
    comma.appendStatus(kStatusCanceled);
    EXPECT_EQ(comma.text(), "42,50000000|1000|512.00 Bytes/sec|1 Sec|Canceled");

    // The buffer is reused: a shorter second text leaves nothing of the first behind.
    comma.compose(1000, 1000, "1000", 0.0, 0, "");
    EXPECT_EQ(comma.text(), "100,00000000|1000|0.00 Bytes/sec|1 Sec|");

    // The total field is the server's text, not a re-printed number.
    dot.compose(1, 3, "0003", 1.0, 2, kStatusDownloading);
    EXPECT_EQ(dot.text(), "33.33333333|0003|1.00 Bytes/sec|3 Sec|Downloading");
}

TEST(ProgressTextBuilder, FixedTexts)
{
    EXPECT_EQ(alreadyCompleteText("5000"), "100|0 Sec|5000|N/A|Completed");
    EXPECT_EQ(kPendingText, "0|0|0|0|Pending");
}

TEST(ContentRange, ParsesTheHttpForm)
{
    const auto range = parseContentRange("bytes 100-4999/5000");
    ASSERT_TRUE(range);
    ASSERT_TRUE(range->first);
    EXPECT_EQ(*range->first, 100u);
    EXPECT_EQ(range->total, 5000u);
    EXPECT_EQ(range->totalText, "5000");

    const auto huge = parseContentRange("bytes 0-18446744073709551614/18446744073709551615");
    ASSERT_TRUE(huge);
    EXPECT_EQ(huge->total, 18446744073709551615u);

    // Nothing left to send: the store still names the total.
    const auto empty = parseContentRange("bytes 50000-49999/50000");
    ASSERT_TRUE(empty);
    EXPECT_EQ(*empty->first, 50000u);
    EXPECT_EQ(empty->total, 50000u);

    const auto unsatisfiable = parseContentRange("bytes */5000");
    ASSERT_TRUE(unsatisfiable);
    EXPECT_FALSE(unsatisfiable->first);
    EXPECT_EQ(unsatisfiable->total, 5000u);
}

TEST(ContentRange, RefusesWhatCannotBeSplit)
{
    for (const char* bad : {"", "bytes unknown", "bytes 0-99", "bytes 0-99/", "bytes 0-99/abc",
                            "bytes -5/100", "bytes x-10/100", "items 0-99/100", "bytes 0-99/100x",
                            "bytes 0-99/-1", "bytes 0-99/18446744073709551616"}) {
        EXPECT_FALSE(parseContentRange(bad)) << bad;
    }
}

TEST(ContentRange, UnsignedNumbersOnly)
{
    EXPECT_EQ(parseUnsigned(" 42 "), 42u);
    EXPECT_FALSE(parseUnsigned("4 2"));
    EXPECT_FALSE(parseUnsigned("+42"));
    EXPECT_FALSE(parseUnsigned(""));
}

}  // namespace
}  // namespace qk::download
