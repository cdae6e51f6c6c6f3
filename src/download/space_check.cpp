#include "download/space_check.h"

#include <algorithm>
#include <system_error>

#include "download/download_job.h"
#include "download/file_names.h"
#include "download/no_follow_file.h"
#include "download/partial_identity.h"
#include "platform/byte_size_text.h"

namespace qk::download {

namespace {

// The bytes of `subject` already in its partial file, when that file will be continued.
std::uint64_t bytesHeld(const std::filesystem::path& folder, const DownloadSubject& subject)
{
    if (!isSafeFileName(subject.fileName))
        return 0;
    const std::string target = joinDownloadPath(folder.string(), subject.fileName);
    const std::string part = target + std::string(kPartSuffix);
    const auto identity = readIdentity(target + std::string(kPartIdentitySuffix));
    if (!identity || identity->version != subject.version || pathKind(part) != PathKind::RegularFile)
        return 0;
    std::error_code error;
    const auto size = std::filesystem::file_size(part, error);
    return error ? 0 : static_cast<std::uint64_t>(size);
}

}  // namespace

std::uint64_t bytesToWrite(const std::filesystem::path& folder, const std::vector<DownloadSubject>& files)
{
    std::uint64_t total = 0;
    for (const DownloadSubject& subject : files) {
        if (subject.byteCount == 0)
            continue;
        total += subject.byteCount - std::min(subject.byteCount, bytesHeld(folder, subject));
    }
    return total;
}

std::optional<SpaceShortage> findSpaceShortage(platform::FreeSpace& space, const std::filesystem::path& folder,
                                               const std::vector<DownloadSubject>& files)
{
    const std::uint64_t needed = bytesToWrite(folder, files);
    if (needed == 0)
        return std::nullopt;
    const auto available = space.availableBytes(folder);
    if (!available || needed <= *available)
        return std::nullopt;
    return SpaceShortage{needed, *available};
}

std::string shortageMessage(const SpaceShortage& shortage)
{
    return "There is not enough free disk space for this download. It needs " +
           platform::formatByteSize(shortage.needed) + ", and the disk of the download folder has " +
           platform::formatByteSize(shortage.available) + " free.\r\n\r\nPlease make room and try again.";
}

}  // namespace qk::download
