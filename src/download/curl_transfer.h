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

namespace qk::download {

class Transfer {
public:
    // `saved`: what the partial file being continued was started with (partial mode).
    Transfer(DownloadJob& job, std::uint64_t resumeOffset, std::optional<PartialIdentity> saved = std::nullopt);

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

}  // namespace qk::download
