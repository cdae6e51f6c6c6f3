#pragma once
// The reply header lines of a ranged file request, read one line at a time as libcurl
// hands them over, without libcurl: the engine's header callback is this and nothing more.

#include <cstddef>
#include <string_view>

#include "download/reply_verdict.h"

namespace qk::download {

// What the header lines read so far say.
struct HeaderScan {
    ReplyHeaders reply;       // of the latest reply; a status line starts afresh
    bool inHeaders = false;   // after a status line, before the blank line ending it
    bool redirected = false;  // the latest reply names a non-empty Location
    // Set by the blank line that ends the reply that counts: not an interim 1xx one, and
    // not a redirect that libcurl follows. Cleared by every other line.
    bool complete = false;
    // The latest reply's validators, on which a partial file is continued; "" when none.
    std::string etag;
    std::string lastModified;
    // The reply's Date: whether its Last-Modified is a strong validator depends on it.
    std::string date;
};

// A longer Content-Range value is not ours: it leaves the reply without one.
inline constexpr std::size_t kMaxContentRangeValue = 999;

// The scan after one more header line (with or without its CR LF). Status line, Location,
// Content-Length, Content-Range, ETag, Last-Modified and Date count, their names in any case; a Content-Length that
// is not a plain unsigned number reads as 0 (missing). Lines outside a reply's headers
// (the trailers of a chunked body) change nothing.
HeaderScan readHeaderLine(HeaderScan scan, std::string_view line);

}  // namespace qk::download
