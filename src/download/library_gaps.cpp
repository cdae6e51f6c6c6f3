#include "download/library_gaps.h"

#include <string>
#include <string_view>
#include <system_error>

#include "download/download_job.h"
#include "download/download_record.h"
#include "download/file_names.h"
#include "download/library_updates.h"
#include "download/no_follow_file.h"

namespace qk::download {

namespace {

constexpr int kSingleFile = -1;

// The record beside the file says it holds the order's version of it.
bool recordClaimsCurrentFile(const std::string& target, const DownloadSubject& subject)
{
    const auto lines = readRecordLines(target + std::string(kRecordSuffix));
    return lines && (*lines)[1] == "vnproductid=" + subject.productId &&
           (*lines)[2] == "filename=" + subject.fileName && (*lines)[4] == "version=" + subject.version;
}

bool isDamaged(const std::string& target, const DownloadSubject& subject)
{
    if (subject.byteCount == 0 || !recordClaimsCurrentFile(target, subject))
        return false;
    std::error_code error;
    const auto size = std::filesystem::file_size(target, error);
    return !error && size != subject.byteCount;
}

}  // namespace

std::vector<LibraryGap> missingOrDamagedFilesOf(const OrderFields& order, const std::filesystem::path& folder)
{
    std::vector<LibraryGap> gaps;
    const std::string& files = order[order::kFiles];
    const bool multiFile = files.find('/') != std::string::npos;
    const std::size_t count = multiFile ? readOrderFileList(files).size() : 1;
    for (std::size_t i = 0; i < count; ++i) {
        DownloadSubject subject = orderFileSubject(order, multiFile ? static_cast<int>(i) : kSingleFile);
        if (!isSafeFileName(subject.fileName) || isCompanionOfListedFile(subject.fileName, subject.fileList))
            continue;
        const std::string target = joinDownloadPath(folder.string(), subject.fileName);
        // A link or a folder in the file's place is neither: nothing is written through it.
        const PathKind kind = pathKind(target);
        if (kind == PathKind::Missing)
            gaps.push_back({std::move(subject), GapKind::Missing});
        else if (kind == PathKind::RegularFile && isDamaged(target, subject))
            gaps.push_back({std::move(subject), GapKind::Damaged});
    }
    return gaps;
}

}  // namespace qk::download
