#include "download/transfer.h"

#include "download/content_range.h"
#include "download/curl_transfer.h"
#include "download/file_names.h"
#include "download/local_file.h"
#include "download/no_follow_file.h"
#include "download/partial_file.h"
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

// Where a continuation of a partial file of `held` bytes starts. A whole one is checked
// by its last byte; without a strong entity tag the bytes before its end are asked
// again and compared, so another build of the same size is never spliced on.
TransferStart continuationOf(std::uint64_t held, std::uint64_t savedTotal, PartialIdentity saved)
{
    TransferStart start;
    start.heldUntil = held;
    if (held == savedTotal)
        start.from = held - 1;
    else if (hasStrongEtag(saved))
        start.from = held;
    else
        start.from = held > kOverlapBytes ? held - kOverlapBytes : 0;
    start.saved = std::move(saved);
    return start;
}

// The agent's own download: "<file>.part", continued when it belongs to the same file.
// The partial file is changed only once a reply that refills it has been accepted.
int runPartialTransfer(DownloadJob& job)
{
    const std::string part = job.localPath.str();
    const std::string identityPath = job.finalPath + std::string(kPartIdentitySuffix);
    const int fd = openRegularForWriting(part);
    struct stat status {};
    if (fd < 0 || ::fstat(fd, &status) != 0)
        return giveUpPartialFile(job, fd, kCouldNotOpenLocalFile);
    job.localFile = fd;
    const auto held = static_cast<std::uint64_t>(status.st_size);
    std::optional<PartialIdentity> saved = readIdentity(identityPath);
    const auto savedTotal = saved ? parseUnsigned(saved->totalText) : std::nullopt;
    // Another version of the file, nothing known about it, or more than the whole of it:
    // from byte 0.
    const bool continues = held > 0 && saved && saved->version == job.plan.version && savedTotal &&
                           held <= *savedTotal;
    const TransferStart fresh{0, 0, held > 0, std::nullopt};
    const TransferStart start = continues ? continuationOf(held, *savedTotal, std::move(*saved)) : fresh;
    if (::lseek(fd, static_cast<off_t>(held), SEEK_SET) < 0)
        return giveUpPartialFile(job, fd, kCouldNotOpenLocalFile);
    job.bytesDone = 0;
    setResultMessage(job, "");
    {
        Transfer transfer(job, start);
        transfer.run();
        if (!transfer.restartWanted())
            return 0;
    }
    // The server has another file than the partial one: the whole file, from byte 0, once.
    job.bytesDone = 0;
    Transfer again(job, TransferStart{0, 0, true, std::nullopt});
    again.run();
    if (again.restartWanted())
        return giveUpPartialFile(job, job.localFile, kUnspecifiedError);
    return 0;
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
    const auto from = static_cast<std::uint64_t>(offset);
    Transfer transfer(job, TransferStart{from, from, false, std::nullopt});
    return transfer.run();
}

}  // namespace qk::download
