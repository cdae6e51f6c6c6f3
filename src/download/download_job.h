#pragma once
// The one download of the agent: what to fetch, where to put it, and the progress
// text through which the worker thread reports to the user-interface thread.

#include "download/download_record.h"
#include "platform/fixed_text.h"
#include "platform/ports.h"

#include <atomic>
#include <cstdint>
#include <ctime>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace qk::download {

inline constexpr std::string_view kThreadStartFailed = "Error: Could not initialize download thread.";

// The agent's own downloads go to "<file>.part" and become "<file>" only when whole and
// verified; a partial file left by an interrupted download is continued when it still
// belongs to the same file. What the order says about the file decides both.
struct PartialPlan {
    std::string version;            // the order's version of the file
    std::uint64_t orderedSize = 0;  // the order's byte count; 0 when it gives none
    // An update keeps the copy it replaces, and its record, until the new file is renamed
    // over it: an update cut short leaves the customer the version that worked.
    bool keepsOldCopy = false;
    // The record written beside the file by the worker, right after the rename and before
    // "Completed" is published, so the file is never seen without it; none when unset.
    std::optional<DownloadRecord> record = std::nullopt;
    // The record's moment; the system clock when empty.
    std::function<std::time_t()> now = nullptr;
};

struct DownloadJob {
    DownloadJob() = default;
    DownloadJob(const DownloadJob&) = delete;
    DownloadJob& operator=(const DownloadJob&) = delete;
    // Stops and joins a running worker, so no thread outlives the job it writes to.
    ~DownloadJob();

    // Guarded by `lock`: replaced whole by the worker, copied whole by readers.
    std::string progressText;
    std::string resultMessage;
    // Why the last download failed on this side (a full disk, a record that could not be
    // written), to follow the error text; "" when the cause is not a local one.
    std::string failureCause;
    mutable std::mutex lock;

    // 1 while a download runs. Only startDownload sets it; the worker clears it when
    // it ends, the display clears it to cancel.
    std::atomic<std::uint8_t> running{0};
    // Set only when the job is being destroyed: the engine then gives up at once,
    // even inside a connect or a stalled read.
    std::atomic<bool> abandon{false};

    // The worker's own while it runs.
    std::int64_t bytesDone = 0;
    FixedText<256> sourceUrl;
    FixedText<256> localPath;
    int localFile = -1;
    std::uint64_t expectedSize = 0;

    // A download to a partial file (see PartialPlan): the file it becomes, and what it
    // is checked against. Empty finalPath: the local path is written directly.
    std::string finalPath;
    PartialPlan plan;
    // Set by the worker once the file server's reply was accepted, before its first
    // byte is written: from then on the new download has really started.
    std::atomic<bool> replyAccepted{false};
    // Body bytes the file servers delivered to this job since its start, restarts included.
    std::atomic<std::uint64_t> bytesReceived{0};

    std::thread worker;
    std::string stagedUrl;   // written by startDownload before the worker exists
    std::string stagedPath;
    std::string stagedFinalPath;
    PartialPlan stagedPlan;

    // Ports the engine uses; null means the system's own.
    platform::Clock* clock = nullptr;
    platform::LocaleInfo* locale = nullptr;
    // A reply that sends no byte for this long is given up.
    long receiveTimeoutSeconds = 30;
    // Extra CA certificate (PEM) trusted for HTTPS file servers besides the system
    // store, as for the store exchange; empty: none.
    std::string caFile;
};

// Starts the worker for one file. 1: started; 0: a download is already running;
// -1: not logged in, a text of 3 characters or fewer, or no thread; -2: a file of
// that name exists and cannot be deleted.
int startDownload(DownloadJob& job, bool loggedIn, const std::string& folder,
                  const std::string& url, const std::string& fileName, std::uint64_t expectedSize);

// The same for the agent's own downloads: the bytes go to "<file name>.part" beside the
// file and become the file once verified (see PartialPlan); nothing is deleted here. -2
// also when a symbolic link, or anything but a file, lies where the file, its partial
// file or their companions go.
int startDownload(DownloadJob& job, bool loggedIn, const std::string& folder, const std::string& url,
                  const std::string& fileName, std::uint64_t expectedSize, const PartialPlan& plan);

// The worker thread's procedure: takes the staged URL and path, runs the transfer.
int downloadWorker(DownloadJob& job);

// Copies the whole progress text; true while the job is running.
bool readProgress(const DownloadJob& job, std::string& text);

// Asks the worker to stop at the end of its current read.
void cancelDownload(DownloadJob& job);

// The result message, copied under the lock.
std::string readResultMessage(const DownloadJob& job);

// Replace the progress text, the result message or the failure cause under the lock.
void setProgressText(DownloadJob& job, std::string_view text);
void setResultMessage(DownloadJob& job, std::string_view text);
void setFailureCause(DownloadJob& job, std::string_view cause);

// The failure cause, copied under the lock.
std::string readFailureCause(const DownloadJob& job);

// A file name from the store names exactly one file inside the download folder: not
// empty, not "." or "..", and no "/", "\", ":" or NUL.
bool isSafeFileName(std::string_view name);

// folder + separator (unless the folder ends in one) + file name.
std::string joinDownloadPath(const std::string& folder, const std::string& fileName);

}  // namespace qk::download
