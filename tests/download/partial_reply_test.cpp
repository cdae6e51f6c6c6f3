// What a reply to a continued partial file says about it, header by header: the same
// file, another file, or the whole file already held; and which dates prove anything.

#include <gtest/gtest.h>

#include "download/header_line.h"
#include "download/http_date.h"
#include "download/partial_file.h"

namespace qk::download {
namespace {

HeaderScan scanOf(std::initializer_list<const char*> lines)
{
    HeaderScan scan;
    for (const char* line : lines)
        scan = readHeaderLine(std::move(scan), line);
    return readHeaderLine(std::move(scan), "\r\n");
}

struct ReplyRow {
    const char* what;
    std::initializer_list<const char*> lines;
    const char* savedEtag;
    bool another;  // asked from 983040 of a partial file of 1048575 bytes (a 416 there is odd: from 0)
    bool whole;    // a partial file of 1048576 bytes, asked for its last byte
};

TEST(PartialReply, ValidatorsThatAreMissingAreNotOtherOnes)
{
    const ReplyRow rows[] = {
        {"nginx's 416 to a whole file: no validators", {"HTTP/1.1 416 Range Not Satisfiable", "Content-Range: bytes */1048576"}, "\"v1\"", true, true},
        {"a 416 naming another tag", {"HTTP/1.1 416 No", "Content-Range: bytes */1048576", "ETag: \"v2\""}, "\"v1\"", true, false},
        {"a 416 of another total", {"HTTP/1.1 416 No", "Content-Range: bytes */1048577"}, "", true, false},
        {"the range without validators, none saved", {"HTTP/1.1 206 Partial", "Content-Range: bytes 983040-1048575/1048576"}, "", false, false},
        {"the range without the weak tag saved", {"HTTP/1.1 206 Partial", "Content-Range: bytes 983040-1048575/1048576"}, "W/\"w\"", false, false},
        {"the range without the strong tag that carried it", {"HTTP/1.1 206 Partial", "Content-Range: bytes 983040-1048575/1048576"}, "\"v1\"", true, false},
        {"the range with another tag", {"HTTP/1.1 206 Partial", "Content-Range: bytes 983040-1048575/1048576", "ETag: \"v2\""}, "\"v1\"", true, false},
        {"the range from elsewhere", {"HTTP/1.1 206 Partial", "Content-Range: bytes 0-1048575/1048576"}, "", true, false},
        {"the whole file", {"HTTP/1.1 200 OK", "Content-Length: 1048576"}, "", true, false},
        {"an error page", {"HTTP/1.1 500 Oops", "Content-Length: 10"}, "", false, false},
    };
    for (const ReplyRow& row : rows) {
        SCOPED_TRACE(row.what);
        const HeaderScan scan = scanOf(row.lines);
        const PartialIdentity saved{"2.1", "1048576", row.savedEtag, "", ""};
        EXPECT_EQ(replyShowsAnotherFile(scan, saved, 983040), row.another);
        EXPECT_EQ(replyShowsWholeFile(scan, saved, 1048576), row.whole);
    }
    EXPECT_FALSE(replyShowsWholeFile(scanOf({"HTTP/1.1 416 No", "Content-Range: bytes */1048576"}),
                                     {"2.1", "1048576", "", "", ""}, 1000))
        << "a 416 of the total says nothing of a partial file shorter than it";
}

TEST(HttpDate, OnlyTheFixedFormCountsAndALastModifiedIsStrongASecondBeforeItsReply)
{
    EXPECT_EQ(parseHttpDate("Thu, 01 Jan 1970 00:00:00 GMT"), 0);
    EXPECT_EQ(parseHttpDate("Sun, 06 Nov 1994 08:49:37 GMT"), 784111777);
    EXPECT_EQ(parseHttpDate("Tue, 29 Feb 2028 23:59:59 GMT"), 1835481599);
    for (const char* text : {"Sunday, 06-Nov-94 08:49:37 GMT", "Sun Nov  6 08:49:37 1994", "Sun, 06 Nov 1994 08:49:37 UTC",
                             "Sun, 06 Foo 1994 08:49:37 GMT", "Sun, 06 Nov 1994 24:49:37 GMT", ""})
        EXPECT_FALSE(parseHttpDate(text)) << text;

    EXPECT_TRUE(isStrongLastModified("Sun, 06 Nov 1994 08:49:36 GMT", "Sun, 06 Nov 1994 08:49:37 GMT"));
    EXPECT_FALSE(isStrongLastModified("Sun, 06 Nov 1994 08:49:37 GMT", "Sun, 06 Nov 1994 08:49:37 GMT"));
    EXPECT_FALSE(isStrongLastModified("Sun, 06 Nov 1994 08:49:36 GMT", ""));
}

}  // namespace
}  // namespace qk::download
