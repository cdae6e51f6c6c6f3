#pragma once
// The file servers' one script, "/sendfile.php?id=<file id>": generated content with
// byte ranges, and faults chosen by suffixes of the id so that a test picks the
// misbehaviour it wants per request.
//
// File ids: "gen-<size>" (any size), or a file name of the demo catalog (served as
// generated content of its listed size). Suffixes, in any order and combination:
//   -cut<N>       close the connection after N body bytes of this reply
//   -stall<ms>    wait before sending the reply
//   -hold<N>      after N body bytes send nothing more, keeping the connection open
//   -rate<N>      send the body at N KiB per second
//   -nolength     no Content-Length; the body ends with the connection
//   -badrange     a Content-Range that cannot be parsed ("bytes unknown")
//   -norange      no Content-Range header
//   -smalltotal   Content-Range total below the requested start (start / 2)
//   -ignorerange  ignore Range: 200 with the whole file from byte 0
//   -404, -500    that HTTP error with a small HTML page
//   -redir<code>  a redirect (301, 302, 303, 307 or 308) to the same id without this
//                 suffix, on the same server; several give several hops
//   -redirftp     a redirect to an ftp:// address
//   -etag<tag>    an entity tag "<tag>" (letters and digits) on the file's replies
//   -weaketag<tag> a weak entity tag W/"<tag>" instead (never met by If-Range)
//   -lastmod<N>   a Last-Modified date of N seconds after 1970 on the file's replies
// Without either the file has no validator (as a script that streams it), and a request
// with If-Range gets the whole file; with one, only an If-Range naming it keeps the range.
// Every reply carries a Date. A range that starts at or past the end gets what real
// servers send: 416 with "Content-Range: bytes */<total>" and no validators.
//
// The same files are also kept on the store's plain-HTTP site below "/mirror", where the
// secondary's redirecting mode sends every request.

#include "form.h"
#include "plain_http_server.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qk::demo {

struct FileFaults {
    std::int64_t cutAfter = -1;
    std::int64_t holdAfter = -1;
    std::uint64_t kibPerSecond = 0;
    int stallMs = 0;
    bool noLength = false;
    bool badRange = false;
    bool noRange = false;
    bool smallTotal = false;
    bool ignoreRange = false;
    int errorStatus = 0;
    int redirectStatus = 0;  // the last redirect suffix of the id; 0 none
    bool redirectToFtp = false;
    std::string etag;               // "" none
    bool weakEtag = false;
    std::int64_t lastModified = -1;  // < 0 none
};

// "Sun, 06 Nov 1994 08:49:37 GMT" for seconds since 1970.
std::string httpDate(std::int64_t seconds);

struct FilePlan {
    std::uint64_t size = 0;
    FileFaults faults;
};

// Size of a named file of the catalog, if there is one.
using FileSizeLookup = std::function<std::optional<std::uint64_t>(std::string_view name)>;

// Splits a file id into its file and its faults. nullopt: no such file.
std::optional<FilePlan> planFile(std::string_view id, const FileSizeLookup& namedFile);

// Parses "bytes=N-" or "bytes=N-M". nullopt when the header is absent or not of that form.
struct ByteRange {
    std::uint64_t first = 0;
    std::optional<std::uint64_t> last;
};
std::optional<ByteRange> parseRangeHeader(std::string_view value);


// How one file server differs from the others, by switch (see store_controls.h).
struct FileServerMode {
    bool otherContent = false;   // another build of every file, of the same size
    bool ignoreRange = false;    // 200 with the whole file, whatever is asked
    bool noValidators = false;   // no ETag or Last-Modified, whatever the id asks
    std::int64_t cutAfter = -1;  // >= 0: every reply ends after this many body bytes
};

// Answers one request to a file server.
void serveFileRequest(const HttpRequest& request, HttpResponse& response, const FileSizeLookup& namedFile,
                      const FileServerMode& mode = {});

// Where the mirror of the file servers lives on the plain-HTTP store site.
inline constexpr std::string_view kMirrorPrefix = "/mirror";

// True for a request to the mirror ("/mirror/sendfile.php?...").
bool isMirrorRequest(const HttpRequest& request);
// Answers a request to the mirror exactly as a file server answers its own path.
void serveMirrorRequest(const HttpRequest& request, HttpResponse& response, const FileSizeLookup& namedFile);
// A file server in redirecting mode: "302 Found" to the same target on the mirror, whose
// origin ("http://127.0.0.1:<port>") is given.
void redirectToMirror(const HttpRequest& request, HttpResponse& response, const std::string& mirrorOrigin);

}  // namespace qk::demo
