#include "download/engine_texts.h"
#include "download/reply_verdict.h"

#include <gtest/gtest.h>

namespace qk::download {
namespace {

using Kind = ReplyVerdict::Kind;

ReplyHeaders reply(long status, std::uint64_t length, std::optional<std::string> range)
{
    return ReplyHeaders{status, length, std::move(range)};
}

TEST(ReplyVerdict, TakesARangeThatContinuesTheLocalFile)
{
    ReplyVerdict verdict = judgeReply(reply(206, 700, "bytes 300-999/1000"), 0, 300);
    EXPECT_EQ(verdict.kind, Kind::Proceed);
    EXPECT_EQ(verdict.total, 1000u);
    EXPECT_EQ(verdict.totalText, "1000");

    // A whole-file answer is fine for a file that starts empty.
    verdict = judgeReply(reply(200, 1000, "bytes 0-999/1000"), 0, 0);
    EXPECT_EQ(verdict.kind, Kind::Proceed);

    // No length, but the starter knows the size.
    verdict = judgeReply(reply(206, 0, "bytes 0-999/1000"), 1000, 0);
    EXPECT_EQ(verdict.kind, Kind::Proceed);
}

TEST(ReplyVerdict, RecognisesAFileThatIsAlreadyWhole)
{
    for (const auto& headers : {reply(206, 0, "bytes 1000-999/1000"), reply(416, 0, "bytes */1000")}) {
        const ReplyVerdict verdict = judgeReply(headers, 1000, 1000);
        EXPECT_EQ(verdict.kind, Kind::AlreadyComplete);
        EXPECT_EQ(verdict.totalText, "1000");
    }
}

TEST(ReplyVerdict, RefusesWhatWouldCorruptTheFileInTheOrderOfChecks)
{
    const std::string_view unspecified = kUnspecifiedError;
    struct Case {
        ReplyHeaders headers;
        std::uint64_t expected;
        std::uint64_t onDisk;
        std::string_view error;
    } cases[] = {
        // The length check comes first, even before a broken range.
        {reply(206, 0, std::nullopt), 0, 0, kInvalidContentLength},
        {reply(206, 0, "garbage"), 0, 0, kInvalidContentLength},
        {reply(206, 100, std::nullopt), 0, 0, unspecified},
        {reply(206, 100, "bytes unknown"), 0, 0, unspecified},
        // The server ignored the range and starts again at byte 0.
        {reply(200, 1000, "bytes 0-999/1000"), 0, 300, unspecified},
        {reply(206, 700, "bytes 200-999/1000"), 0, 300, unspecified},
        // Total smaller than what is on disk: not the same file.
        {reply(206, 0, "bytes 300-149/150"), 500, 300, unspecified},
        // An error page that happens to carry a range.
        {reply(404, 100, "bytes 0-99/1000"), 0, 0, unspecified},
        {reply(416, 0, "bytes */1000"), 500, 300, unspecified},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.headers.contentRange.value_or("(no range)") + " status " + std::to_string(c.headers.status));
        const ReplyVerdict verdict = judgeReply(c.headers, c.expected, c.onDisk);
        EXPECT_EQ(verdict.kind, Kind::Refused);
        EXPECT_EQ(verdict.error, c.error);
    }
}

}  // namespace
}  // namespace qk::download
