#include "download/header_line.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>

namespace qk::download {
namespace {

// The scan after these lines, each handed over as libcurl does: one line at a time.
HeaderScan scanOf(std::initializer_list<std::string_view> lines, HeaderScan scan = {})
{
    for (const std::string_view line : lines)
        scan = readHeaderLine(std::move(scan), line);
    return scan;
}

TEST(HeaderLine, StatusLinesOfHttp11AndHttp2StartAReply)
{
    HeaderScan scan = scanOf({"HTTP/1.1 206 Partial Content\r\n"});
    EXPECT_EQ(scan.reply.status, 206);
    EXPECT_TRUE(scan.inHeaders);
    EXPECT_FALSE(scan.complete);

    scan = scanOf({"HTTP/2 200\r\n"});
    EXPECT_EQ(scan.reply.status, 200);
    EXPECT_TRUE(scan.inHeaders);

    scan = scanOf({"http/1.0 416 Range Not Satisfiable\r\n"});
    EXPECT_EQ(scan.reply.status, 416) << "the protocol name in any case";

    EXPECT_EQ(scanOf({"HTTP/1.1\r\n"}).reply.status, 0) << "no code";
    EXPECT_EQ(scanOf({"HTTP/1.1 abc\r\n"}).reply.status, 0);
}

TEST(HeaderLine, AFullReplyIsCompleteOnItsBlankLineOnly)
{
    HeaderScan scan = scanOf({"HTTP/1.1 206 Partial Content\r\n", "Content-Length: 700\r\n",
                              "Content-Range: bytes 300-999/1000\r\n", "Server: demo\r\n"});
    EXPECT_FALSE(scan.complete);
    scan = readHeaderLine(std::move(scan), "\r\n");
    EXPECT_TRUE(scan.complete);
    EXPECT_FALSE(scan.inHeaders);
    EXPECT_EQ(scan.reply.status, 206);
    EXPECT_EQ(scan.reply.contentLength, 700u);
    EXPECT_EQ(scan.reply.contentRange, "bytes 300-999/1000");

    // Trailers of a chunked body come after the blank line and change nothing.
    scan = readHeaderLine(std::move(scan), "Content-Length: 5\r\n");
    EXPECT_FALSE(scan.complete) << "only the blank line itself says complete";
    EXPECT_EQ(scan.reply.contentLength, 700u);
    scan = readHeaderLine(std::move(scan), "\r\n");
    EXPECT_FALSE(scan.complete) << "a second blank line ends nothing";

    // Nor does anything before a status line count.
    scan = scanOf({"Content-Length: 5\r\n", "\r\n"});
    EXPECT_EQ(scan.reply.contentLength, 0u);
    EXPECT_FALSE(scan.complete);
}

TEST(HeaderLine, ASecondStatusLineAfterARedirectOrContinueForgetsTheFirstReply)
{
    HeaderScan scan = scanOf({"HTTP/1.1 302 Found\r\n", "Location: http://files2/f.zip\r\n",
                              "Content-Length: 120\r\n", "Content-Range: bytes 0-119/120\r\n",
                              "\r\n"});
    EXPECT_FALSE(scan.complete) << "libcurl follows the redirect";
    EXPECT_TRUE(scan.redirected);

    scan = readHeaderLine(std::move(scan), "HTTP/1.1 206 Partial Content\r\n");
    EXPECT_EQ(scan.reply.status, 206);
    EXPECT_EQ(scan.reply.contentLength, 0u);
    EXPECT_FALSE(scan.reply.contentRange.has_value());
    EXPECT_FALSE(scan.redirected);
    scan = scanOf({"Content-Range: bytes 0-9/10\r\n", "\r\n"}, std::move(scan));
    EXPECT_TRUE(scan.complete);
    EXPECT_EQ(scan.reply.contentRange, "bytes 0-9/10");

    scan = scanOf({"HTTP/1.1 100 Continue\r\n", "Content-Length: 55\r\n", "\r\n"});
    EXPECT_FALSE(scan.complete) << "an interim reply";
    scan = scanOf({"HTTP/1.1 200 OK\r\n", "\r\n"}, std::move(scan));
    EXPECT_TRUE(scan.complete);
    EXPECT_EQ(scan.reply.status, 200);
    EXPECT_EQ(scan.reply.contentLength, 0u);
}

TEST(HeaderLine, ARedirectWithoutALocationIsTheReplyThatCounts)
{
    for (const char* location : {"", "Location:\r\n", "Location:   \r\n"}) {
        SCOPED_TRACE(location);
        HeaderScan scan = scanOf({"HTTP/1.1 301 Moved\r\n"});
        if (*location != '\0')
            scan = readHeaderLine(std::move(scan), location);
        scan = readHeaderLine(std::move(scan), "\r\n");
        EXPECT_TRUE(scan.complete);
        EXPECT_EQ(scan.reply.status, 301);
    }
    // A Location on a reply that is no redirect is not followed either.
    EXPECT_TRUE(scanOf({"HTTP/1.1 200 OK\r\n", "Location: /x\r\n", "\r\n"}).complete);
}

TEST(HeaderLine, ContentLengthIsAPlainUnsignedNumberOrMissing)
{
    struct Case {
        std::string_view line;
        std::uint64_t length;
    } cases[] = {
        {"Content-Length: 1000\r\n", 1000},
        {"Content-Length:1000\r\n", 1000},
        {"Content-Length: \t 1000 \r\n", 1000},
        {"Content-Length: 18446744073709551615\r\n", 18446744073709551615u},
        {"Content-Length: 18446744073709551616\r\n", 0},  // overflows 64 bits
        {"Content-Length: 99999999999999999999999999\r\n", 0},
        {"Content-Length: 12abc\r\n", 0},
        {"Content-Length: 0x10\r\n", 0},
        {"Content-Length: -5\r\n", 0},
        {"Content-Length: +5\r\n", 0},
        {"Content-Length: 1 000\r\n", 0},
        {"Content-Length:\r\n", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.line));
        const HeaderScan scan = scanOf({"HTTP/1.1 200 OK\r\n", "Content-Length: 77\r\n", c.line});
        EXPECT_EQ(scan.reply.contentLength, c.length) << "the last one holds";
    }
}

TEST(HeaderLine, NamesInAnyCaseAndLinesWithoutCarriageReturn)
{
    HeaderScan scan = scanOf({"HTTP/1.1 206 Partial Content\n", "content-length: 10\n",
                              "CONTENT-RANGE: bytes 0-9/10\n"});
    EXPECT_EQ(scan.reply.contentLength, 10u);
    EXPECT_EQ(scan.reply.contentRange, "bytes 0-9/10") << "no line end left in the value";
    scan = readHeaderLine(std::move(scan), "\n");
    EXPECT_TRUE(scan.complete);

    scan = scanOf({"HTTP/1.1 307 Temporary Redirect\n", "LoCaTiOn: /elsewhere\n", "\n"});
    EXPECT_FALSE(scan.complete) << "followed";

    // A name only starting like one of ours, or a line without its end, is no blank line.
    scan = scanOf({"HTTP/1.1 200 OK\r\n", "Content-Lengths: 5\r\n", "X-Content-Length: 6\r\n", ""});
    EXPECT_EQ(scan.reply.contentLength, 0u);
    EXPECT_FALSE(scan.complete);
    EXPECT_TRUE(scan.inHeaders);
}

TEST(HeaderLine, AContentRangeTooLongForItsBufferLeavesNone)
{
    const std::string fits = "bytes 0-9/" + std::string(kMaxContentRangeValue - 10, '1');
    ASSERT_EQ(fits.size(), kMaxContentRangeValue);
    HeaderScan scan = scanOf({"HTTP/1.1 206 Partial Content\r\n"});
    scan = readHeaderLine(std::move(scan), "Content-Range: " + fits + "\r\n");
    EXPECT_EQ(scan.reply.contentRange, fits);

    scan = readHeaderLine(std::move(scan), "Content-Range: " + fits + "1\r\n");
    EXPECT_FALSE(scan.reply.contentRange.has_value()) << "the earlier value goes too";
}

TEST(HeaderLine, ValidatorsAreThoseOfTheReplyThatCounts)
{
    // A redirect's validators are not the file's; the reply after it brings its own.
    HeaderScan scan = scanOf({"HTTP/1.1 302 Found\r\n", "ETag: \"hop\"\r\n", "Location: /f\r\n", "\r\n",
                              "HTTP/1.1 206 Partial Content\r\n", "etag:  \"v1\" \r\n",
                              "Last-Modified: Tue, 14 Nov 2023 22:13:20 GMT\r\n", "\r\n"});
    EXPECT_EQ(scan.etag, "\"v1\"");
    EXPECT_EQ(scan.lastModified, "Tue, 14 Nov 2023 22:13:20 GMT");
    scan = scanOf({"HTTP/1.1 200 OK\r\n", "ETag: \"hop\"\r\n", "\r\n", "HTTP/1.1 206 Partial Content\r\n", "\r\n"});
    EXPECT_EQ(scan.etag, "") << "none on the reply that counts";
    EXPECT_EQ(scanOf({"HTTP/1.1 206 Partial Content\r\n", "ETag: \"" + std::string(1000, 'x') + "\"\r\n"}).etag, "")
        << "too long to keep beside a partial file";
}

}  // namespace
}  // namespace qk::download
