#pragma once
// One transfer through libcurl: the state kept while libcurl pushes headers and data, the
// reply judged before any body byte, the read loop with its progress text, and the
// final word (result message and running flag) on every way out.

#include "download/download_job.h"
#include "download/header_line.h"
#include "download/local_file.h"
#include "download/partial_identity.h"
#include "download/progress_text.h"
#include "download/reply_verdict.h"
#include "platform/ports.h"

#include <curl/curl.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <vector>

namespace qk::download {

// Where a transfer starts in the local file, which is positioned at `heldUntil`.
struct TransferStart {
    std::uint64_t from = 0;  // the first byte asked for
    // The bytes before this already lie in the partial file: those the reply brings again
    // are compared with them, and only what follows is appended.
    std::uint64_t heldUntil = 0;
    // The partial file holds something else: emptied once a usable reply has begun, not before.
    bool replacesFile = false;
    // What the partial file being continued was started with (partial mode).
    std::optional<PartialIdentity> saved;
};

class Transfer {
public:
    Transfer(DownloadJob& job, TransferStart start);

    int run();
    // The reply showed that the partial file belongs to another file (other validators,
    // another total, bytes that differ from those held, or a reply to the check of a whole
    // file that cannot be read): nothing was written and nothing finished; the caller
    // starts again from byte 0.
    [[nodiscard]] bool restartWanted() const { return stop_ == Stop::Restart; }

private:
    enum class Stop { None, HeaderRefused, AlreadyComplete, Canceled, WriteFailed, Overrun, Restart };

    static size_t onHeader(char* data, size_t size, size_t count, void* self);
    static size_t onBody(char* data, size_t size, size_t count, void* self);
    static int onProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

    bool header(std::string_view line);
    bool headersComplete();
    bool acceptReply();
    bool commitPartial();
    bool body(const char* data, std::size_t size);
    bool matchesHeld(const char* data, std::size_t n);
    bool publishStall();
    void composePass(std::size_t n, bool goOn);
    void composeAt(std::uint32_t now, std::size_t n, bool goOn);
    int failWrite(int error);
    void publish(std::string_view text) { setProgressText(job_, text); }
    int fail(std::string_view text);
    int finish();

    DownloadJob& job_;
    platform::Clock& clock_;
    BufferedFileWriter writer_;
    ProgressTextBuilder builder_;
    const std::uint64_t resumeOffset_;
    const std::uint64_t heldUntil_;
    const bool replacesFile_;
    const bool partial_;
    const std::optional<PartialIdentity> saved_;
    bool accepted_ = false;  // the reply was taken for the partial file (see acceptReply)
    std::vector<char> held_;  // the partial file's bytes being compared

    HeaderScan scan_;
    bool headersDone_ = false;

    std::uint64_t total_ = 0;
    std::string totalText_;
    std::uint64_t bytesThisTransfer_ = 0;
    std::uint32_t startMs_ = 0;
    std::uint32_t publishedMs_ = 0;  // when the last progress text went out
    int writeError_ = 0;             // errno of the write that failed

    Stop stop_ = Stop::None;
    std::string refusal_;

    // For the receive time-out: when a byte last moved either way.
    curl_off_t lastDown_ = 0;
    curl_off_t lastUp_ = 0;
    std::chrono::steady_clock::time_point lastActivity_ = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point lastStall_;
};

}  // namespace qk::download
