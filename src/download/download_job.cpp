#include "download/download_job.h"

#include "download/download_record.h"
#include "download/file_names.h"
#include "download/no_follow_file.h"
#include "download/progress_text.h"
#include "download/transfer.h"

#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace qk::download {

DownloadJob::~DownloadJob()
{
    abandon.store(true);
    running.store(0);
    if (worker.joinable())
        worker.join();
}

std::string joinDownloadPath(const std::string& folder, const std::string& fileName)
{
    std::string path = folder;
    if (path.empty() || path.back() != std::filesystem::path::preferred_separator)
        path.push_back(std::filesystem::path::preferred_separator);
    path += fileName;
    return path;
}

bool isSafeFileName(std::string_view name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    return name.find_first_of(std::string_view("/\\:\0", 4)) == std::string_view::npos;
}

namespace {

// The checks every start makes. 1 when the staged URL and path may be used.
int stageStart(DownloadJob& job, bool loggedIn, const std::string& folder, const std::string& url,
               const std::string& fileName, std::string_view pathSuffix)
{
    if (job.running.load() != 0)
        return 0;
    // A worker that has cleared its flag may still be on its way out.
    if (job.worker.joinable())
        job.worker.join();

    if (!loggedIn || url.size() <= 3 || folder.size() <= 3 || fileName.size() <= 3) {
        job.running.store(0);
        return -1;
    }

    // The name comes from the store: it may only ever be one name inside the folder.
    if (!isSafeFileName(fileName)) {
        job.running.store(0);
        return -1;
    }

    // The worker's fields hold 255 characters; a cut URL or path would name another
    // file, so such a start is refused rather than shortened.
    std::string path = joinDownloadPath(folder, fileName);
    if (url.size() > decltype(job.sourceUrl)::capacity ||
        path.size() + pathSuffix.size() > decltype(job.localPath)::capacity) {
        job.running.store(0);
        return -1;
    }
    job.stagedUrl = url;
    job.stagedPath = std::move(path);
    return 1;
}

int launchWorker(DownloadJob& job, std::uint64_t expectedSize)
{
    job.expectedSize = expectedSize;
    job.replyAccepted.store(false);
    job.bytesReceived.store(0);
    setFailureCause(job, "");
    setProgressText(job, kPendingText);

    job.running.store(1);
    try {
        job.worker = std::thread([&job] { downloadWorker(job); });
    } catch (const std::system_error&) {
        setProgressText(job, kThreadStartFailed);
        job.running.store(0);
        return -1;
    }
    return 1;
}

// Nothing but a regular file (or nothing) may lie where a download writes.
bool isFileOrMissing(const std::string& path)
{
    const PathKind kind = pathKind(path);
    return kind == PathKind::Missing || kind == PathKind::RegularFile;
}

}  // namespace

int startDownload(DownloadJob& job, bool loggedIn, const std::string& folder,
                  const std::string& url, const std::string& fileName, std::uint64_t expectedSize)
{
    const int staged = stageStart(job, loggedIn, folder, url, fileName, {});
    if (staged != 1)
        return staged;
    job.stagedFinalPath.clear();
    job.stagedPlan = {};

    // Only a file (or a link) is replaced: a device such as /dev/null, a folder or a
    // pipe at that name is not the agent's to delete and counts as undeletable.
    std::error_code error;
    const auto status = std::filesystem::symlink_status(job.stagedPath, error);
    if (std::filesystem::exists(status) || std::filesystem::is_symlink(status)) {
        if (!std::filesystem::is_regular_file(status) && !std::filesystem::is_symlink(status))
            return -2;
        std::filesystem::remove(job.stagedPath, error);
        if (error)
            return -2;
    }
    return launchWorker(job, expectedSize);
}

int startDownload(DownloadJob& job, bool loggedIn, const std::string& folder, const std::string& url,
                  const std::string& fileName, std::uint64_t expectedSize, const PartialPlan& plan)
{
    const int staged = stageStart(job, loggedIn, folder, url, fileName, kPartSuffix);
    if (staged != 1)
        return staged;
    const std::string target = job.stagedPath;
    // A link is never written through, and nothing else is taken for a file; a record
    // that is a folder only cannot be written (and is left as it is).
    if (!isFileOrMissing(target) || !isFileOrMissing(target + std::string(kPartSuffix)) ||
        !isFileOrMissing(target + std::string(kPartIdentitySuffix)) ||
        pathKind(target + std::string(kRecordSuffix)) == PathKind::Link)
        return -2;
    job.stagedFinalPath = target;
    job.stagedPath = target + std::string(kPartSuffix);
    job.stagedPlan = plan;
    return launchWorker(job, expectedSize);
}

int downloadWorker(DownloadJob& job)
{
    job.sourceUrl = job.stagedUrl;
    job.localPath = job.stagedPath;
    job.finalPath = job.stagedFinalPath;
    job.plan = job.stagedPlan;
    try {
        runTransfer(job);
    } catch (...) {
        // Nothing may leave the worker thread; the display sees a failed download.
        if (job.localFile >= 0) {
            ::close(job.localFile);
            job.localFile = -1;
        }
        setResultMessage(job, kUnspecifiedError);
        setProgressText(job, kUnspecifiedError);
        job.running.store(0);
    }
    return 1;
}

bool readProgress(const DownloadJob& job, std::string& text)
{
    {
        std::lock_guard guard(job.lock);
        text = job.progressText;
    }
    return job.running.load() == 1;
}

void cancelDownload(DownloadJob& job)
{
    job.running.store(0);
}

std::string readResultMessage(const DownloadJob& job)
{
    std::lock_guard guard(job.lock);
    return job.resultMessage;
}

void setProgressText(DownloadJob& job, std::string_view text)
{
    std::lock_guard guard(job.lock);
    job.progressText.assign(text);
}

void setResultMessage(DownloadJob& job, std::string_view text)
{
    std::lock_guard guard(job.lock);
    job.resultMessage.assign(text);
}

void setFailureCause(DownloadJob& job, std::string_view cause)
{
    std::lock_guard guard(job.lock);
    job.failureCause.assign(cause);
}

std::string readFailureCause(const DownloadJob& job)
{
    std::lock_guard guard(job.lock);
    return job.failureCause;
}

}  // namespace qk::download
