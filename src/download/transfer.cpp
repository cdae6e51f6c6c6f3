#include "download/transfer.h"

#include "download/content_range.h"
#include "download/download_record.h"
#include "download/file_id.h"
#include "download/file_names.h"
#include "download/header_line.h"
#include "download/local_file.h"
#include "download/no_follow_file.h"
#include "download/partial_identity.h"
#include "download/progress_text.h"
#include "download/reply_verdict.h"
#include "platform/curl_global.h"
#include "platform/system_clock.h"
#include "platform/system_locale.h"

#include <curl/curl.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <utility>
#include <unistd.h>

namespace qk::download {
namespace {

constexpr long kMaxRedirects = 5;
constexpr long kProxyAuthenticationRequired = 407;

// The text of a connection that could not be made: the failure's code, then the message.
std::string couldNotConnect(long code)
{
    std::string text = std::to_string(code);
    text.append(kCouldNotConnectHostName);
    return text;
}

struct CurlEasyDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct CurlListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct CurlUrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyDeleter>;
using CurlList = std::unique_ptr<curl_slist, CurlListDeleter>;
using CurlUrl = std::unique_ptr<CURLU, CurlUrlDeleter>;

// The host and path must be there before anything goes on the wire; a URL that
// cannot be split that way is refused.
bool splitsIntoHostAndPath(const std::string& url)
{
    CurlUrl parsed(curl_url());
    if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK)
        return false;
    char* host = nullptr;
    if (curl_url_get(parsed.get(), CURLUPART_HOST, &host, 0) != CURLUE_OK || !host)
        return false;
    const bool usable = host[0] != '\0' && std::char_traits<char>::length(host) <= 255;
    curl_free(host);
    return usable;
}

platform::Clock& clockOf(DownloadJob& job)
{
    static platform::SteadyClock steady;  // stateless
    return job.clock ? *job.clock : steady;
}

char separatorOf(DownloadJob& job)
{
    if (job.locale)
        return job.locale->decimalSeparator();
    platform::UserLocale user;
    return user.decimalSeparator();
}

void closeLocalFileOf(DownloadJob& job, bool& closeFailed)
{
    if (job.localFile >= 0) {
        closeFailed = ::close(job.localFile) != 0;
        job.localFile = -1;
    }
}

// One transfer: its state while libcurl pushes headers and data.
class Transfer {
public:
    // `saved`: what the partial file being continued was started with (partial mode).
    Transfer(DownloadJob& job, std::uint64_t resumeOffset, std::optional<PartialIdentity> saved = std::nullopt)
        : job_(job), clock_(clockOf(job)), writer_(job.localFile), resumeOffset_(resumeOffset),
          partial_(!job.finalPath.empty()), saved_(std::move(saved))
    {
    }

    int run();
    // The reply showed that the partial file belongs to another file: nothing was
    // written and nothing finished; the caller starts again from byte 0.
    [[nodiscard]] bool restartWanted() const { return stop_ == Stop::Restart; }

private:
    enum class Stop { None, HeaderRefused, AlreadyComplete, Canceled, WriteFailed, Overrun, Restart };

    static size_t onHeader(char* data, size_t size, size_t count, void* self);
    static size_t onBody(char* data, size_t size, size_t count, void* self);
    static int onProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

    bool header(std::string_view line);
    bool headersComplete();
    [[nodiscard]] bool showsAnotherFile(const HeaderScan& scan) const;
    bool acceptPartial(const ReplyVerdict& verdict);
    bool commitPartial();
    bool body(const char* data, std::size_t size);
    void composePass(std::size_t n, bool goOn);
    void publish(std::string_view text) { setProgressText(job_, text); }
    int fail(std::string_view text);
    int finish();

    DownloadJob& job_;
    platform::Clock& clock_;
    BufferedFileWriter writer_;
    ProgressTextBuilder builder_;
    const std::uint64_t resumeOffset_;
    const bool partial_;
    const std::optional<PartialIdentity> saved_;

    HeaderScan scan_;
    bool headersDone_ = false;

    std::uint64_t total_ = 0;
    std::string totalText_;
    std::uint64_t bytesThisTransfer_ = 0;
    std::uint32_t startMs_ = 0;

    Stop stop_ = Stop::None;
    std::string refusal_;

    // For the receive time-out: when a byte last moved either way.
    curl_off_t lastDown_ = 0;
    curl_off_t lastUp_ = 0;
    std::chrono::steady_clock::time_point lastActivity_ = std::chrono::steady_clock::now();
};

int Transfer::run()
{
    if (!splitsIntoHostAndPath(job_.sourceUrl.str()))
        return fail(kUnspecifiedError);

    platform::ensureCurlInitialised();
    CurlEasy curl(curl_easy_init());
    if (!curl)
        return fail(kCouldNotSetup);

    // An open range from the end of the local file, never answered from a cache.
    char range[48] = "Range: bytes=";
    char* end = std::to_chars(range + 13, range + sizeof range - 2, resumeOffset_).ptr;
    *end++ = '-';
    *end = '\0';
    // A partial file is continued only while the server still has the same file: with a
    // validator it was started with, the server itself sends the whole file otherwise.
    std::string ifRange;
    if (saved_ && !ifRangeValue(*saved_).empty())
        ifRange = "If-Range: " + ifRangeValue(*saved_);
    CurlList headers;
    for (const char* line : {static_cast<const char*>(range), ifRange.empty() ? nullptr : ifRange.c_str(),
                             "Cache-Control: no-cache", "Pragma: no-cache", "Accept:"}) {
        if (!line)
            continue;
        curl_slist* grown = curl_slist_append(headers.get(), line);
        if (!grown)
            return fail(kCouldNotSetup);
        headers.release();
        headers.reset(grown);
    }

    CURL* h = curl.get();
    platform::applyCommonOptions(h, job_.caFile);
    curl_easy_setopt(h, CURLOPT_URL, job_.sourceUrl.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    // A file server may hand the file on to another: a few hops, never off the web,
    // and never from HTTPS down to plain HTTP.
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, redirectProtocolsFor(job_.sourceUrl.str()));
    curl_easy_setopt(h, CURLOPT_USERAGENT, platform::kUserAgent);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    // A proxy's answer to CONNECT is not the file server's reply: the header scan must
    // not take "200 Connection established" for a reply without length.
    curl_easy_setopt(h, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(h, CURLOPT_BUFFERSIZE, static_cast<long>(kReceiveBufferSize));
    // The receive time-out: no connection, or no byte either way, for this long ends the
    // transfer (the latter in onProgress: libcurl's low-speed check averages over
    // several seconds and so fired seconds late).
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, job_.receiveTimeoutSeconds);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &Transfer::onHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &Transfer::onBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &Transfer::onProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, this);

    const CURLcode code = curl_easy_perform(h);

    switch (stop_) {
    case Stop::Restart:
        return 0;
    case Stop::HeaderRefused:
        return fail(refusal_);
    case Stop::AlreadyComplete:
        if (partial_ && job_.bytesDone > 0 && !commitPartial())
            return fail(kUnspecifiedError);
        publish(alreadyCompleteText(totalText_));
        return finish();
    case Stop::WriteFailed:
        return fail(kUnspecifiedError);
    case Stop::Overrun:
        writer_.flush();  // what was taken is a correct prefix
        return fail(kUnspecifiedError);
    case Stop::Canceled:
        if (!writer_.flush())
            return fail(kUnspecifiedError);
        builder_.appendStatus(kStatusCanceled);
        publish(builder_.text());
        return finish();
    case Stop::None:
        break;
    }

    if (job_.abandon.load()) {
        // The agent is closing: what was received still goes to the disk.
        writer_.flush();
        return fail(kUnspecifiedError);
    }

    if (!headersDone_) {
        // A proxy that refused the tunnel: the host was never reached. Its status says
        // more than libcurl's code for it (a receive error).
        long proxyStatus = 0;
        if (curl_easy_getinfo(h, CURLINFO_HTTP_CONNECTCODE, &proxyStatus) == CURLE_OK && proxyStatus >= 300)
            return fail(couldNotConnect(proxyStatus));
        if (code == CURLE_COULDNT_RESOLVE_HOST || code == CURLE_COULDNT_RESOLVE_PROXY ||
            code == CURLE_COULDNT_CONNECT) {
            return fail(couldNotConnect(static_cast<long>(code)));
        }
        return fail(kCouldNotConnectHostUrl);
    }

    if (!writer_.flush())
        return fail(kUnspecifiedError);
    if (code != CURLE_OK || static_cast<std::uint64_t>(job_.bytesDone) != total_) {
        // A failed read or a reply that ended before the total: never "Completed".
        return fail(job_.bytesDone > 0 ? kUnspecifiedError : kNoDataReceived);
    }

    // The loop's last pass reads nothing; its text gets the final word.
    const bool goOn = job_.running.load() == 1;
    // Whole and verified, or not complete at all.
    if (goOn && partial_ && job_.bytesDone > 0 && !commitPartial())
        return fail(kUnspecifiedError);
    composePass(0, goOn);
    builder_.appendStatus(goOn ? kStatusCompleted : kStatusCanceled);
    publish(builder_.text());
    return finish();
}

size_t Transfer::onHeader(char* data, size_t size, size_t count, void* self)
{
    const std::size_t length = size * count;
    return static_cast<Transfer*>(self)->header(std::string_view(data, length)) ? length : 0;
}

size_t Transfer::onBody(char* data, size_t size, size_t count, void* self)
{
    const std::size_t length = size * count;
    return static_cast<Transfer*>(self)->body(data, length) ? length : 0;
}

int Transfer::onProgress(void* self, curl_off_t, curl_off_t down, curl_off_t, curl_off_t up)
{
    auto& transfer = *static_cast<Transfer*>(self);
    if (transfer.job_.abandon.load())
        return 1;
    const auto now = std::chrono::steady_clock::now();
    if (down != transfer.lastDown_ || up != transfer.lastUp_) {
        transfer.lastDown_ = down;
        transfer.lastUp_ = up;
        transfer.lastActivity_ = now;
    } else if (now - transfer.lastActivity_ >= std::chrono::seconds(transfer.job_.receiveTimeoutSeconds)) {
        return 1;  // a failed read: what arrived stays, the transfer is not complete
    }
    // A cancel while no data comes (connecting, a stalled server) would otherwise wait
    // for the next byte or the time-out; libcurl asks here at least once a second.
    if (transfer.job_.running.load() == 0 && transfer.stop_ == Stop::None) {
        transfer.composePass(0, false);
        transfer.stop_ = Stop::Canceled;
        return 1;
    }
    return 0;
}

bool Transfer::header(std::string_view line)
{
    scan_ = readHeaderLine(std::move(scan_), line);
    return !scan_.complete || headersComplete();
}

// Once the reply's headers are all in, and before any body byte.
bool Transfer::headersComplete()
{
    headersDone_ = true;
    if (saved_ && showsAnotherFile(scan_)) {
        stop_ = Stop::Restart;
        return false;
    }
    if (scan_.reply.status == kProxyAuthenticationRequired) {
        // Only a proxy asks this, answering a plain request in the file server's place.
        stop_ = Stop::HeaderRefused;
        refusal_ = couldNotConnect(kProxyAuthenticationRequired);
        return false;
    }
    const ReplyVerdict verdict = judgeReply(scan_.reply, job_.expectedSize, resumeOffset_);
    if (verdict.kind == ReplyVerdict::Kind::Refused) {
        stop_ = Stop::HeaderRefused;
        refusal_.assign(verdict.error);
        return false;
    }
    total_ = verdict.total;
    totalText_ = verdict.totalText;
    if (partial_ && !acceptPartial(verdict)) {
        stop_ = Stop::HeaderRefused;
        refusal_.assign(kUnspecifiedError);
        return false;
    }

    job_.bytesDone = static_cast<std::int64_t>(resumeOffset_);
    startMs_ = clock_.milliseconds();
    bytesThisTransfer_ = 0;
    builder_ = ProgressTextBuilder(separatorOf(job_));

    if (verdict.kind == ReplyVerdict::Kind::AlreadyComplete) {
        stop_ = Stop::AlreadyComplete;
        return false;
    }
    return true;
}

// A reply to a continued partial file that shows the server has another file than the
// one the partial file was started with: the whole file (the range ignored, or If-Range
// not met), another total or other validators, or bytes from elsewhere than its end.
// An error reply says nothing about the file and fails as any other, keeping it.
bool Transfer::showsAnotherFile(const HeaderScan& scan) const
{
    const ReplyHeaders& reply = scan.reply;
    if (reply.status == 200)
        return true;
    if (reply.status != 206 && reply.status != 416)
        return false;
    const auto range = reply.contentRange ? parseContentRange(*reply.contentRange) : std::nullopt;
    if (!range)
        return false;
    if (range->totalText != saved_->totalText || scan.etag != saved_->etag ||
        scan.lastModified != saved_->lastModified)
        return true;
    // A file already whole: "416" with "bytes */total", or an empty range.
    if (range->total == resumeOffset_)
        return false;
    return !range->first || *range->first != resumeOffset_;
}

// The reply was accepted for the partial file: it must be the order's file, what it is
// goes beside the partial file before any byte does, and the copy it replaces goes.
bool Transfer::acceptPartial(const ReplyVerdict& verdict)
{
    if (job_.plan.orderedSize != 0 && verdict.total != job_.plan.orderedSize)
        return false;
    const PartialIdentity identity{job_.plan.version, verdict.totalText, scan_.etag, scan_.lastModified};
    if ((!saved_ || *saved_ != identity) &&
        !writeIdentity(job_.finalPath + std::string(kPartIdentitySuffix), identity))
        return false;
    // The new download has really started: the old copy and a non-empty record go, so
    // the file shows as not downloaded until this one is whole.
    if (!job_.plan.keepsOldCopy) {
        const std::string record = job_.finalPath + std::string(kRecordSuffix);
        struct stat status {};
        if (::lstat(record.c_str(), &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0)
            removeFileOrLink(record, false);
        removeFileOrLink(job_.finalPath, false);
    }
    job_.replyAccepted.store(true);
    return true;
}

// The partial file becomes the file: on disk, of the size the server announced and the
// order gives, then renamed into place. A partial file of the wrong size is dropped.
bool Transfer::commitPartial()
{
    if (!writer_.flush())
        return false;
    const int fd = job_.localFile;
    struct stat status {};
    const bool synced = ::fsync(fd) == 0 && ::fstat(fd, &status) == 0;
    job_.localFile = -1;
    const bool closed = ::close(fd) == 0;
    const std::string part = job_.localPath.str();
    const std::string identity = job_.finalPath + std::string(kPartIdentitySuffix);
    const auto size = static_cast<std::uint64_t>(status.st_size);
    if (synced && (size != total_ || (job_.plan.orderedSize != 0 && size != job_.plan.orderedSize))) {
        removeFileOrLink(part, false);
        removeFileOrLink(identity, false);
        return false;
    }
    // Only the file written here is renamed, not whatever was put at its name since;
    // rename replaces the name at the target (a link included) without following it.
    struct stat named {};
    if (!synced || !closed || ::lstat(part.c_str(), &named) != 0 || named.st_ino != status.st_ino ||
        named.st_dev != status.st_dev || ::rename(part.c_str(), job_.finalPath.c_str()) != 0)
        return false;
    syncFolderOf(job_.finalPath);
    removeFileOrLink(identity, false);
    return true;
}

// The read loop: one pass per read of at most kReadSize bytes, one progress text each.
bool Transfer::body(const char* data, std::size_t size)
{
    if (!headersDone_ || stop_ != Stop::None)
        return false;
    job_.bytesReceived.fetch_add(size);
    while (size > 0) {
        const std::size_t n = std::min(size, kReadSize);
        if (static_cast<std::uint64_t>(job_.bytesDone) + n > total_) {
            stop_ = Stop::Overrun;
            return false;
        }
        if (!writer_.write(data, n)) {
            stop_ = Stop::WriteFailed;
            return false;
        }
        job_.bytesDone += static_cast<std::int64_t>(n);
        bytesThisTransfer_ += n;
        data += n;
        size -= n;

        // One reading of the flag decides both the status and whether to go on.
        const bool goOn = job_.running.load() == 1;
        composePass(n, goOn);
        publish(builder_.text());
        if (!goOn) {
            stop_ = Stop::Canceled;
            return false;
        }
    }
    return true;
}

void Transfer::composePass(std::size_t n, bool goOn)
{
    const std::uint32_t elapsed = clock_.milliseconds() - startMs_;
    const double speed = transferSpeed(bytesThisTransfer_, elapsed);
    const auto remaining = static_cast<std::int64_t>(total_ - bytesThisTransfer_ - resumeOffset_);
    builder_.compose(static_cast<std::uint64_t>(job_.bytesDone), total_, totalText_, speed,
                     remainingSeconds(remaining, speed), (n > 0 && goOn) ? kStatusDownloading : "");
}

int Transfer::fail(std::string_view text)
{
    // A partial file is kept to be continued; an empty one carries nothing worth it.
    if (partial_ && job_.localFile >= 0) {
        struct stat status {};
        if (::fstat(job_.localFile, &status) == 0 && status.st_size == 0) {
            removeFileOrLink(job_.localPath.str(), false);
            removeFileOrLink(job_.finalPath + std::string(kPartIdentitySuffix), false);
        }
    }
    bool closeFailed = false;
    closeLocalFileOf(job_, closeFailed);
    setResultMessage(job_, text);
    publish(text);
    job_.running.store(0);
    return 0;
}

// The end of a transfer that did not fail: the file closed, the result message set.
int Transfer::finish()
{
    bool closeFailed = false;
    closeLocalFileOf(job_, closeFailed);
    if (closeFailed)
        return fail(kUnspecifiedError);
    if (job_.bytesDone > 0) {
        setResultMessage(job_, kDataDownloaded);
    } else {
        setResultMessage(job_, kNoDataReceived);
        publish(kNoDataReceived);
    }
    job_.running.store(0);
    return 0;
}

}  // namespace

std::int64_t openLocalFile(DownloadJob& job, const std::string& path, bool exists)
{
    std::int64_t offset = 0;
    const int fd = openForResume(path, exists, offset);
    if (fd < 0) {
        setResultMessage(job, kCannotOpenFile);
        job.running.store(0);
        return -1;
    }
    job.localFile = fd;
    return offset;
}

namespace {

// A partial download whose local file cannot be used: closed, and the text published as
// the worker's last word.
int giveUpPartialFile(DownloadJob& job, int fd, std::string_view text)
{
    if (fd >= 0)
        ::close(fd);
    job.localFile = -1;
    setResultMessage(job, text);
    setProgressText(job, text);
    job.running.store(0);
    return 0;
}

// The agent's own download: "<file>.part", continued when it belongs to the same file.
int runPartialTransfer(DownloadJob& job)
{
    const std::string part = job.localPath.str();
    const std::string identityPath = job.finalPath + std::string(kPartIdentitySuffix);
    const int fd = openRegularForWriting(part);
    struct stat status {};
    if (fd < 0 || ::fstat(fd, &status) != 0)
        return giveUpPartialFile(job, fd, kCouldNotOpenLocalFile);
    job.localFile = fd;
    auto offset = static_cast<std::uint64_t>(status.st_size);
    std::optional<PartialIdentity> saved = readIdentity(identityPath);
    // Another version of the file (or nothing known about it): from byte 0.
    if (offset > 0 && !(saved && saved->version == job.plan.version))
        offset = 0;
    if (offset == 0)
        saved.reset();
    if ((offset == 0 && status.st_size > 0 && ::ftruncate(fd, 0) != 0) ||
        ::lseek(fd, static_cast<off_t>(offset), SEEK_SET) < 0)
        return giveUpPartialFile(job, fd, kCouldNotOpenLocalFile);
    job.bytesDone = 0;
    setResultMessage(job, "");
    {
        Transfer transfer(job, offset, std::move(saved));
        transfer.run();
        if (!transfer.restartWanted())
            return 0;
    }
    // The server has another file than the partial one: the whole file, from byte 0.
    removeFileOrLink(identityPath, false);
    if (::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) < 0)
        return giveUpPartialFile(job, fd, kUnspecifiedError);
    job.bytesDone = 0;
    Transfer again(job, 0);
    return again.run();
}

}  // namespace

int runTransfer(DownloadJob& job)
{
    if (!job.finalPath.empty())
        return runPartialTransfer(job);
    std::error_code ignored;
    const bool exists = std::filesystem::exists(job.localPath.str(), ignored);
    const std::int64_t offset = openLocalFile(job, job.localPath.str(), exists);
    if (offset < 0) {
        setResultMessage(job, kCouldNotOpenLocalFile);
        setProgressText(job, kCouldNotOpenLocalFile);
        job.running.store(0);
        return 0;
    }
    job.bytesDone = 0;
    setResultMessage(job, "");
    Transfer transfer(job, static_cast<std::uint64_t>(offset));
    return transfer.run();
}

}  // namespace qk::download
