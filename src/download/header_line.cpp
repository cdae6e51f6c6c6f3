#include "download/header_line.h"

#include <algorithm>
#include <charconv>
#include <string>

#include "download/content_range.h"

namespace qk::download {
namespace {

bool isRedirect(long status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    return std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(a) == lower(b);
    });
}

std::string_view headerValue(std::string_view line, std::string_view name)
{
    std::string_view value = line.substr(name.size());
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
        value.remove_prefix(1);
    while (!value.empty() && (value.back() == '\r' || value.back() == '\n' || value.back() == ' '))
        value.remove_suffix(1);
    return value;
}

// A validator too long to keep beside a partial file counts as none.
std::string validator(std::string_view value)
{
    return value.size() <= kMaxContentRangeValue ? std::string(value) : std::string();
}

}  // namespace

HeaderScan readHeaderLine(HeaderScan scan, std::string_view line)
{
    scan.complete = false;
    if (startsWithNoCase(line, "HTTP/")) {
        // A new reply (after an interim 1xx one or a redirect): forget what came before.
        scan.reply = ReplyHeaders{};
        scan.redirected = false;
        scan.etag.clear();
        scan.lastModified.clear();
        scan.date.clear();
        const auto blank = line.find(' ');
        if (blank != std::string_view::npos) {
            const std::string_view code = line.substr(blank + 1, 3);
            std::from_chars(code.data(), code.data() + code.size(), scan.reply.status);
        }
        scan.inHeaders = true;
        return scan;
    }
    if (!scan.inHeaders)
        return scan;  // trailers of a chunked body
    if (line == "\r\n" || line == "\n") {
        scan.inHeaders = false;
        const long status = scan.reply.status;
        // After an interim reply, or a redirect libcurl follows, the next reply counts.
        scan.complete = !(status >= 100 && status < 200) && !(scan.redirected && isRedirect(status));
        return scan;
    }
    if (startsWithNoCase(line, "Location:")) {
        scan.redirected = !headerValue(line, "Location:").empty();
    } else if (startsWithNoCase(line, "Content-Length:")) {
        scan.reply.contentLength = parseUnsigned(headerValue(line, "Content-Length:")).value_or(0);
    } else if (startsWithNoCase(line, "Content-Range:")) {
        // The value is read into a buffer of 1000 bytes; a longer one does not fit.
        const std::string_view value = headerValue(line, "Content-Range:");
        if (value.size() <= kMaxContentRangeValue)
            scan.reply.contentRange = std::string(value);
        else
            scan.reply.contentRange.reset();
    } else if (startsWithNoCase(line, "ETag:")) {
        scan.etag = validator(headerValue(line, "ETag:"));
    } else if (startsWithNoCase(line, "Last-Modified:")) {
        scan.lastModified = validator(headerValue(line, "Last-Modified:"));
    } else if (startsWithNoCase(line, "Date:")) {
        scan.date = validator(headerValue(line, "Date:"));
    }
    return scan;
}

}  // namespace qk::download
