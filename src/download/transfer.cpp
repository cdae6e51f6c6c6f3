#include "download/transfer.h"

#include "download/curl_transfer.h"
#include "download/file_names.h"
#include "download/local_file.h"
#include "download/no_follow_file.h"
#include "download/partial_identity.h"

#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace qk::download {

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
