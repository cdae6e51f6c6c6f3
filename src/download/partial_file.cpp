#include "download/partial_file.h"

#include "download/content_range.h"
#include "download/download_record.h"
#include "download/file_names.h"
#include "download/local_file.h"
#include "download/no_follow_file.h"

#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace qk::download {

namespace {

bool differs(const std::string& sent, const std::string& saved)
{
    return !sent.empty() && !saved.empty() && sent != saved;
}

bool namesOtherValidators(const HeaderScan& scan, const PartialIdentity& saved)
{
    return differs(scan.etag, saved.etag) || differs(scan.lastModified, saved.lastModified);
}

}  // namespace

bool replyShowsAnotherFile(const HeaderScan& scan, const PartialIdentity& saved, std::uint64_t from)
{
    const ReplyHeaders& reply = scan.reply;
    if (reply.status == 200)
        return true;
    if (reply.status != 206 && reply.status != 416)
        return false;
    const auto range = reply.contentRange ? parseContentRange(*reply.contentRange) : std::nullopt;
    if (!range)
        return false;
    if (range->totalText != saved.totalText || namesOtherValidators(scan, saved))
        return true;
    // Without the overlap only the tag proves the file: a reply without it proves nothing.
    if (hasStrongEtag(saved) && scan.etag != saved.etag)
        return true;
    if (range->total == from)
        return false;
    return !range->first || *range->first != from;
}

bool replyShowsWholeFile(const HeaderScan& scan, const PartialIdentity& saved, std::uint64_t held)
{
    if (scan.reply.status != 416 || !scan.reply.contentRange)
        return false;
    const auto range = parseContentRange(*scan.reply.contentRange);
    return range && !range->first && range->totalText == saved.totalText && range->total == held &&
           !namesOtherValidators(scan, saved);
}

bool acceptPartialReply(DownloadJob& job, std::uint64_t total, const std::string& totalText,
                        const HeaderScan& scan, const std::optional<PartialIdentity>& saved)
{
    if (job.plan.orderedSize != 0 && total != job.plan.orderedSize)
        return false;
    const PartialIdentity identity{job.plan.version, totalText, scan.etag, scan.lastModified, scan.date};
    if ((!saved || *saved != identity) &&
        !writeIdentity(job.finalPath + std::string(kPartIdentitySuffix), identity))
        return false;
    // The new download has really started: the old copy and a non-empty record go, so
    // the file shows as not downloaded until this one is whole.
    if (!job.plan.keepsOldCopy) {
        const std::string record = job.finalPath + std::string(kRecordSuffix);
        struct stat status {};
        if (::lstat(record.c_str(), &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0)
            removeFileOrLink(record, false);
        removeFileOrLink(job.finalPath, false);
    }
    job.replyAccepted.store(true);
    return true;
}

bool commitPartialFile(DownloadJob& job, std::uint64_t total)
{
    const int fd = job.localFile;
    struct stat status {};
    const bool synced = ::fsync(fd) == 0 && ::fstat(fd, &status) == 0;
    job.localFile = -1;
    const bool closed = ::close(fd) == 0;
    const std::string part = job.localPath.str();
    const std::string identity = job.finalPath + std::string(kPartIdentitySuffix);
    const auto size = static_cast<std::uint64_t>(status.st_size);
    if (synced && (size != total || (job.plan.orderedSize != 0 && size != job.plan.orderedSize))) {
        removeFileOrLink(part, false);
        removeFileOrLink(identity, false);
        return false;
    }
    // Only the file written here is renamed, not whatever was put at its name since;
    // rename replaces the name at the target (a link included) without following it.
    struct stat named {};
    if (!synced || !closed || ::lstat(part.c_str(), &named) != 0 || named.st_ino != status.st_ino ||
        named.st_dev != status.st_dev || ::rename(part.c_str(), job.finalPath.c_str()) != 0)
        return false;
    syncFolderOf(job.finalPath);
    return true;
}

void finishCommit(DownloadJob& job)
{
    removeFileOrLink(job.finalPath + std::string(kPartIdentitySuffix), false);
}

void undoCommit(DownloadJob& job)
{
    if (::rename(job.finalPath.c_str(), job.localPath.c_str()) == 0)
        syncFolderOf(job.finalPath);
}

}  // namespace qk::download
