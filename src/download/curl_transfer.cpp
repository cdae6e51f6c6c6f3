#include "download/curl_transfer.h"

#include "download/content_range.h"
#include "download/download_record.h"
#include "download/engine_texts.h"
#include "download/file_names.h"
#include "download/no_follow_file.h"
#include "download/partial_file.h"
#include "download/transfer.h"
#include "download/transfer_request.h"
#include "platform/curl_global.h"
#include "platform/system_clock.h"
#include "platform/system_locale.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace qk::download {
namespace {

constexpr long kProxyAuthenticationRequired = 407;
// How often a stalled transfer's text is composed again (libcurl asks about once a second
// then); no byte for as long counts as a stall.
constexpr std::uint32_t kStallRepublishMs = 250;
constexpr std::chrono::milliseconds kStallAfter{kStallRepublishMs};

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

}  // namespace

Transfer::Transfer(DownloadJob& job, TransferStart start)
    : job_(job), clock_(clockOf(job)), writer_(job.localFile), resumeOffset_(start.from),
      heldUntil_(std::max(start.from, start.heldUntil)), replacesFile_(start.replacesFile),
      partial_(!job.finalPath.empty()), saved_(std::move(start.saved))
{
}

int Transfer::run()
{
    if (!splitsIntoHostAndPath(job_.sourceUrl.str()))
        return fail(kUnspecifiedError);

    platform::ensureCurlInitialised();
    CurlEasy curl(curl_easy_init());
    if (!curl)
        return fail(kCouldNotSetup);

    // A partial file is continued only while the server still has the same file: with a
    // validator it was started with, the server itself sends the whole file otherwise.
    const std::string ifRange = saved_ ? ifRangeValue(*saved_) : std::string();
    const CurlList headers = rangeRequestHeaders(resumeOffset_, ifRange);
    if (!headers)
        return fail(kCouldNotSetup);

    CURL* h = curl.get();
    applyTransferOptions(h, job_, headers.get());
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
        return failWrite(writeError_);
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
        return failWrite(errno);
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
    } else if (now - transfer.lastActivity_ >= kStallAfter && now - transfer.lastStall_ >= kStallAfter) {
        transfer.lastStall_ = now;
        transfer.publishStall();
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
    // A file already whole, which the server refuses a range of: done, without a byte.
    if (saved_ && replyShowsWholeFile(scan_, *saved_, heldUntil_)) {
        total_ = heldUntil_;
        totalText_ = saved_->totalText;
        job_.bytesDone = static_cast<std::int64_t>(heldUntil_);
        if (!acceptReply()) {
            stop_ = Stop::HeaderRefused;
            refusal_.assign(kUnspecifiedError);
            return false;
        }
        stop_ = Stop::AlreadyComplete;
        return false;
    }
    if (saved_ && replyShowsAnotherFile(scan_, *saved_, resumeOffset_)) {
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
    const bool checksWholeFile = saved_ && heldUntil_ > resumeOffset_ && parseUnsigned(saved_->totalText) == heldUntil_;
    const long status = scan_.reply.status;
    if (verdict.kind == ReplyVerdict::Kind::Refused && checksWholeFile &&
        ((status >= 200 && status <= 299) || status == 416)) {
        // The check of a whole partial file got a reply it cannot read: from byte 0, once.
        stop_ = Stop::Restart;
        return false;
    }
    if (verdict.kind == ReplyVerdict::Kind::Refused) {
        stop_ = Stop::HeaderRefused;
        refusal_.assign(verdict.error);
        return false;
    }
    total_ = verdict.total;
    totalText_ = verdict.totalText;
    if (partial_ && job_.plan.orderedSize != 0 && total_ != job_.plan.orderedSize) {
        stop_ = Stop::HeaderRefused;
        refusal_.assign(kUnspecifiedError);
        return false;
    }

    job_.bytesDone = static_cast<std::int64_t>(resumeOffset_);
    startMs_ = clock_.milliseconds();
    publishedMs_ = startMs_;
    bytesThisTransfer_ = 0;
    builder_ = ProgressTextBuilder(separatorOf(job_));

    if (verdict.kind == ReplyVerdict::Kind::AlreadyComplete) {
        stop_ = Stop::AlreadyComplete;
        if (partial_ && !acceptReply()) {
            stop_ = Stop::HeaderRefused;
            refusal_.assign(kUnspecifiedError);
        }
        return false;
    }
    // Nothing to compare first: the reply is taken now.
    if (partial_ && resumeOffset_ >= heldUntil_ && !acceptReply()) {
        stop_ = Stop::HeaderRefused;
        refusal_.assign(kUnspecifiedError);
        return false;
    }
    return true;
}

// The reply is taken for the partial file, before the first byte is appended and only
// once the bytes it brings again matched: what it is goes beside the partial file, the
// copy it replaces goes, and a partial file of another file is emptied for it.
bool Transfer::acceptReply()
{
    if (accepted_ || !partial_)
        return true;
    if (!acceptPartialReply(job_, total_, totalText_, scan_, saved_))
        return false;
    accepted_ = true;
    return !replacesFile_ || (::ftruncate(job_.localFile, 0) == 0 && ::lseek(job_.localFile, 0, SEEK_SET) == 0);
}

// The partial file becomes the file once all of it is on disk.
bool Transfer::commitPartial()
{
    if (!acceptReply())
        return false;
    if (!writer_.flush()) {
        setFailureCause(job_, writeFailureCause(errno));
        return false;
    }
    if (!commitPartialFile(job_, total_))
        return false;
    // The record comes with the file: a file without its record is not downloaded, and
    // goes back to being the whole partial file that a later start finishes.
    const std::string record = job_.finalPath + std::string(kRecordSuffix);
    if (!job_.plan.record ||
        writeDownloadRecord(record, *job_.plan.record, job_.plan.now ? job_.plan.now() : std::time(nullptr))) {
        finishCommit(job_);
        return true;
    }
    const int error = errno;
    removeFileOrLink(record, false);
    undoCommit(job_);
    setFailureCause(job_, writeFailureCause(error) == kCauseDiskFull ? kCauseDiskFull : kCauseRecordNotWritten);
    return false;
}

// The read loop: one pass per read of at most kReadSize bytes, one progress text each.
bool Transfer::body(const char* data, std::size_t size)
{
    if (!headersDone_ || stop_ != Stop::None)
        return false;
    job_.bytesReceived.fetch_add(size);
    while (size > 0) {
        const auto done = static_cast<std::uint64_t>(job_.bytesDone);
        // A pass ends where the bytes held end, so each pass is either compared or written.
        const std::size_t n = done < heldUntil_ ? static_cast<std::size_t>(std::min<std::uint64_t>(
                                                      std::min(size, kReadSize), heldUntil_ - done))
                                                : std::min(size, kReadSize);
        if (done + n > total_) {
            stop_ = Stop::Overrun;
            return false;
        }
        if (done < heldUntil_) {
            if (!matchesHeld(data, n)) {
                // Another file than the one begun: never spliced, started again from byte 0.
                stop_ = Stop::Restart;
                return false;
            }
        } else if (!acceptReply()) {
            stop_ = Stop::HeaderRefused;
            refusal_.assign(kUnspecifiedError);
            return false;
        } else if (!writer_.write(data, n)) {
            writeError_ = errno;
            stop_ = Stop::WriteFailed;
            return false;
        }
        job_.bytesDone += static_cast<std::int64_t>(n);
        bytesThisTransfer_ += n;
        data += n;
        size -= n;

        // One reading of the flag decides both the status and whether to go on.
        const bool goOn = job_.running.load() == 1;
        // A pass in the very first millisecond has no speed yet: no estimate from it.
        const std::uint32_t now = clock_.milliseconds();
        if (!goOn || now != startMs_) {
            composeAt(now, n, goOn);
            publish(builder_.text());
            publishedMs_ = now;
        }
        if (!goOn) {
            stop_ = Stop::Canceled;
            return false;
        }
    }
    return true;
}

bool Transfer::matchesHeld(const char* data, std::size_t n)
{
    held_.resize(n);
    std::size_t got = 0;
    while (got < n) {
        const ssize_t r = ::pread(job_.localFile, held_.data() + got, n - got,
                                  static_cast<off_t>(static_cast<std::uint64_t>(job_.bytesDone) + got));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        got += static_cast<std::size_t>(r);
    }
    return std::equal(held_.begin(), held_.end(), data);
}

// While no byte arrives the text is composed again each time libcurl asks, so the speed
// falls and the time left grows instead of standing at the last byte's values.
bool Transfer::publishStall()
{
    if (!headersDone_ || stop_ != Stop::None || bytesThisTransfer_ == 0 || job_.running.load() != 1)
        return false;
    const std::uint32_t now = clock_.milliseconds();
    if (now - publishedMs_ < kStallRepublishMs)
        return false;
    composeAt(now, 1, true);
    publish(builder_.text());
    publishedMs_ = now;
    return true;
}

void Transfer::composePass(std::size_t n, bool goOn)
{
    composeAt(clock_.milliseconds(), n, goOn);
}

void Transfer::composeAt(std::uint32_t now, std::size_t n, bool goOn)
{
    const std::uint32_t elapsed = now - startMs_;
    const double speed = transferSpeed(bytesThisTransfer_, elapsed);
    const auto remaining = static_cast<std::int64_t>(total_ - bytesThisTransfer_ - resumeOffset_);
    builder_.compose(static_cast<std::uint64_t>(job_.bytesDone), total_, totalText_, speed,
                     remainingSeconds(remaining, speed), (n > 0 && goOn) ? kStatusDownloading : "");
}

// A write to the disk failed: the error text, then its cause; what was written stays.
int Transfer::failWrite(int error)
{
    setFailureCause(job_, writeFailureCause(error));
    return fail(kUnspecifiedError);
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

}  // namespace qk::download
