#include "file_server.h"

#include "generated_content.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <ctime>

namespace qk::demo {
namespace {

bool parseNumber(std::string_view text, std::uint64_t& value) {
    if (text.empty()) return false;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && ptr == text.data() + text.size();
}

// Applies one suffix token to the faults; false when the token is no fault.
bool applyFault(std::string_view token, FileFaults& faults) {
    std::uint64_t number = 0;
    if (token.starts_with("cut") && parseNumber(token.substr(3), number)) {
        faults.cutAfter = static_cast<std::int64_t>(number);
    } else if (token.starts_with("rate") && parseNumber(token.substr(4), number) && number > 0) {
        faults.kibPerSecond = std::min<std::uint64_t>(number, 1u << 30);
    } else if (token.starts_with("hold") && parseNumber(token.substr(4), number)) {
        faults.holdAfter = static_cast<std::int64_t>(number);
    } else if (token.starts_with("stall") && parseNumber(token.substr(5), number)) {
        faults.stallMs = static_cast<int>(std::min<std::uint64_t>(number, 600000));
    } else if (token == "nolength") {
        faults.noLength = true;
    } else if (token == "badrange") {
        faults.badRange = true;
    } else if (token == "norange") {
        faults.noRange = true;
    } else if (token == "smalltotal") {
        faults.smallTotal = true;
    } else if (token == "ignorerange") {
        faults.ignoreRange = true;
    } else if (token == "redirftp") {
        if (faults.redirectStatus == 0 && !faults.redirectToFtp) faults.redirectToFtp = true;
    } else if (token.starts_with("redir") && parseNumber(token.substr(5), number) &&
               (number == 301 || number == 302 || number == 303 || number == 307 || number == 308)) {
        // Suffixes are read from the end: the first one met is the hop to take now.
        if (faults.redirectStatus == 0 && !faults.redirectToFtp) faults.redirectStatus = static_cast<int>(number);
    } else if (token.starts_with("weaketag") && token.size() > 8) {
        for (const char c : token.substr(8))
            if (!std::isalnum(static_cast<unsigned char>(c))) return false;
        if (faults.etag.empty()) {
            faults.etag = std::string(token.substr(8));
            faults.weakEtag = true;
        }
    } else if (token.starts_with("etag") && token.size() > 4) {
        for (const char c : token.substr(4))
            if (!std::isalnum(static_cast<unsigned char>(c))) return false;
        if (faults.etag.empty()) faults.etag = std::string(token.substr(4));
    } else if (token.starts_with("lastmod") && parseNumber(token.substr(7), number)) {
        if (faults.lastModified < 0) faults.lastModified = static_cast<std::int64_t>(std::min<std::uint64_t>(number, 1u << 31));
    } else if (token == "404" || token == "500") {
        faults.errorStatus = token == "404" ? 404 : 500;
    } else {
        return false;
    }
    return true;
}

void errorPage(HttpResponse& response, int status) {
    response.setText(status,
                     "<!DOCTYPE html>\n<html><head><title>" + std::to_string(status) +
                         "</title></head><body><p>The file is not available.</p></body></html>\n",
                     "text/html");
}

// The validators of the file's replies, as headers.
void addValidators(const FileFaults& faults, HttpResponse& response) {
    if (!faults.etag.empty())
        response.headers.emplace_back("ETag", (faults.weakEtag ? "W/\"" : "\"") + faults.etag + '"');
    if (faults.lastModified >= 0) response.headers.emplace_back("Last-Modified", httpDate(faults.lastModified));
}

// If-Range keeps the range only when it names the file's current validator exactly.
bool ifRangeHolds(const HttpRequest& request, const FileFaults& faults) {
    if (!request.hasHeader("If-Range")) return true;
    const std::string value = request.header("If-Range");
    // A weak tag is never met (If-Range compares strongly).
    if (!faults.etag.empty() && !faults.weakEtag && value == '"' + faults.etag + '"') return true;
    return faults.lastModified >= 0 && value == httpDate(faults.lastModified);
}

}  // namespace

std::string httpDate(std::int64_t seconds) {
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t when = static_cast<std::time_t>(seconds);
    std::tm utc{};
    gmtime_r(&when, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", kDays[utc.tm_wday], utc.tm_mday,
                  kMonths[utc.tm_mon], utc.tm_year + 1900, utc.tm_hour, utc.tm_min, utc.tm_sec);
    return text;
}

std::optional<FilePlan> planFile(std::string_view id, const FileSizeLookup& namedFile) {
    FilePlan plan;
    std::string_view base = id;
    // Faults are trailing "-token"s; a file name may itself contain dashes, so strip
    // only tokens that are faults.
    while (true) {
        const std::size_t dash = base.rfind('-');
        if (dash == std::string_view::npos || !applyFault(base.substr(dash + 1), plan.faults)) break;
        base = base.substr(0, dash);
    }
    if (base.starts_with("gen-") && parseNumber(base.substr(4), plan.size)) return plan;
    if (namedFile) {
        if (const auto size = namedFile(base)) {
            plan.size = *size;
            return plan;
        }
    }
    return std::nullopt;
}

std::optional<ByteRange> parseRangeHeader(std::string_view value) {
    if (!value.starts_with("bytes=")) return std::nullopt;
    value.remove_prefix(6);
    const std::size_t dash = value.find('-');
    if (dash == std::string_view::npos) return std::nullopt;
    ByteRange range;
    if (!parseNumber(value.substr(0, dash), range.first)) return std::nullopt;
    const std::string_view lastText = value.substr(dash + 1);
    if (!lastText.empty()) {
        std::uint64_t last = 0;
        if (!parseNumber(lastText, last) || last < range.first) return std::nullopt;
        range.last = last;
    }
    return range;
}

void serveFileRequest(const HttpRequest& request, HttpResponse& response, const FileSizeLookup& namedFile,
                      const FileServerMode& mode) {
    if (request.path != "/sendfile.php") {
        errorPage(response, 404);
        return;
    }
    const std::string id = queryValue(request.query, "id");
    const auto plan = planFile(id, namedFile);
    if (!plan) {
        errorPage(response, 404);
        return;
    }
    FileFaults faults = plan->faults;
    if (mode.noValidators || mode.otherContent) {
        faults.etag.clear();
        faults.lastModified = -1;
    }
    if (mode.ignoreRange) faults.ignoreRange = true;
    if (mode.cutAfter >= 0) faults.cutAfter = mode.cutAfter;
    response.headers.emplace_back("Date", httpDate(static_cast<std::int64_t>(std::time(nullptr))));
    if (faults.redirectStatus != 0 || faults.redirectToFtp) {
        // One hop: the id loses its last redirect suffix.
        std::string nextId = id;
        const std::size_t suffix = nextId.rfind("-redir");
        const std::size_t end = nextId.find('-', suffix + 1);
        nextId.erase(suffix, end == std::string::npos ? std::string::npos : end - suffix);
        const std::string next = "/sendfile.php?id=" + nextId;
        response.setText(faults.redirectToFtp ? 302 : faults.redirectStatus, "<!DOCTYPE html>\n<p>Moved.</p>\n",
                         "text/html");
        response.headers.emplace_back("Location", faults.redirectToFtp ? "ftp://127.0.0.1" + next : next);
        return;
    }
    response.stallMs = faults.stallMs;
    response.cutAfter = faults.cutAfter;
    response.holdAfter = faults.holdAfter;
    response.bytesPerSecond = faults.kibPerSecond * 1024;
    if (faults.errorStatus != 0) {
        errorPage(response, faults.errorStatus);
        return;
    }
    const std::uint64_t size = plan->size;
    std::optional<ByteRange> range;
    if (!faults.ignoreRange && request.hasHeader("Range") && ifRangeHolds(request, faults))
        range = parseRangeHeader(request.header("Range"));
    if (range && range->first >= size && !faults.smallTotal && !faults.badRange && !faults.noRange) {
        // Nothing of the file lies there: what real servers answer, without validators.
        response.setText(416, "");
        response.headers.emplace_back("Content-Range", "bytes */" + std::to_string(size));
        return;
    }
    addValidators(faults, response);

    std::uint64_t first = 0;
    std::uint64_t length = size;
    if (range) {
        // A start at or past the end gets 206 with an empty body and a Content-Range that
        // still carries the total, so a client holding the whole file learns it is done.
        first = std::min(range->first, size);
        const std::uint64_t end = range->last ? std::min(*range->last + 1, size) : size;
        length = end > first ? end - first : 0;
        response.status = 206;
        const std::uint64_t total = faults.smallTotal ? range->first / 2 : size;
        const std::int64_t last = length > 0 ? static_cast<std::int64_t>(first + length - 1) : static_cast<std::int64_t>(size) - 1;
        if (faults.badRange)
            response.headers.emplace_back("Content-Range", "bytes unknown");
        else if (!faults.noRange)
            response.headers.emplace_back("Content-Range", "bytes " + std::to_string(range->first) + '-' + std::to_string(last) +
                                                               '/' + std::to_string(total));
    }
    response.headers.emplace_back("Content-Type", "application/octet-stream");
    response.headers.emplace_back("Accept-Ranges", "bytes");
    response.sendContentLength = !faults.noLength;
    response.providedLength = length;
    if (mode.otherContent)
        response.provider = [first](std::uint64_t offset, char* out, std::size_t n) { fillOtherContent(first + offset, out, n); };
    else
        response.provider = [first](std::uint64_t offset, char* out, std::size_t n) { fillContent(first + offset, out, n); };
}

bool isMirrorRequest(const HttpRequest& request) {
    return request.path.size() > kMirrorPrefix.size() && request.path.starts_with(kMirrorPrefix) &&
           request.path[kMirrorPrefix.size()] == '/';
}

void serveMirrorRequest(const HttpRequest& request, HttpResponse& response, const FileSizeLookup& namedFile) {
    HttpRequest onFileServer = request;
    onFileServer.path = request.path.substr(kMirrorPrefix.size());
    onFileServer.target = request.target.substr(kMirrorPrefix.size());
    serveFileRequest(onFileServer, response, namedFile);
}

void redirectToMirror(const HttpRequest& request, HttpResponse& response, const std::string& mirrorOrigin) {
    response.setText(302, "<!DOCTYPE html>\n<p>Moved to the mirror.</p>\n", "text/html");
    response.headers.emplace_back("Location", mirrorOrigin + std::string(kMirrorPrefix) + request.target);
}

}  // namespace qk::demo
