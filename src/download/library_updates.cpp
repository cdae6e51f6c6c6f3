#include "download/library_updates.h"

#include <optional>
#include <string_view>
#include <system_error>

#include "download/download_job.h"
#include "download/download_record.h"
#include "download/file_names.h"
#include "platform/byte_size_text.h"

namespace qk::download {

namespace {

constexpr std::string_view kFileNameKey = "filename=";
constexpr std::string_view kVersionKey = "version=";
constexpr int kSingleFile = -1;

bool isRegularFile(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(std::filesystem::symlink_status(path, error));
}

// The version a record says was downloaded, when the record is one of `fileName`.
std::optional<std::string> recordedVersionOf(const std::filesystem::path& folder, const std::string& fileName)
{
    const std::filesystem::path file = folder / fileName;
    const std::filesystem::path record = folder / (fileName + std::string(kRecordSuffix));
    if (!isRegularFile(file) || !isRegularFile(record))
        return std::nullopt;
    const auto lines = readRecordLines(record.string());
    if (!lines)
        return std::nullopt;
    const std::string& nameLine = (*lines)[2];
    const std::string& versionLine = (*lines)[4];
    if (!nameLine.starts_with(kFileNameKey) || nameLine.substr(kFileNameKey.size()) != fileName ||
        !versionLine.starts_with(kVersionKey))
        return std::nullopt;
    return versionLine.substr(kVersionKey.size());
}

}  // namespace

DownloadSubject orderFileSubject(const OrderFields& order, int fileIndex)
{
    DownloadSubject subject;
    subject.productName = order[order::kProductName];
    subject.productId = order[order::kProductId];
    subject.version = order[order::kVersion];
    subject.postProcessFlag = order[order::kPostProcess];
    subject.orderNumber = order[order::kOrderNumber];
    subject.postProcessData = order[order::kSerialNumber];
    std::string_view size = order[order::kFileSize];
    const OrderFileList files = readOrderFileList(order[order::kFiles]);
    if (fileIndex == kSingleFile) {
        subject.fileName = order[order::kFiles];
    } else if (fileIndex >= 0 && static_cast<std::size_t>(fileIndex) < files.size()) {
        subject.multiFile = true;
        subject.fileIndex = fileIndex;
        subject.fileName = files[static_cast<std::size_t>(fileIndex)].first;
        size = files[static_cast<std::size_t>(fileIndex)].second;
        subject.fileList = files;
    }
    const auto bytes = platform::parseByteCount(size);
    subject.byteCount = bytes.value_or(0);
    subject.sizeText = bytes ? platform::formatByteSize(*bytes) : std::string();
    return subject;
}

std::vector<LibraryUpdate> outdatedFilesOf(const OrderFields& order, const std::filesystem::path& folder)
{
    std::vector<LibraryUpdate> updates;
    const std::string& files = order[order::kFiles];
    const bool multiFile = files.find('/') != std::string::npos;
    const std::size_t count = multiFile ? readOrderFileList(files).size() : 1;
    for (std::size_t i = 0; i < count; ++i) {
        DownloadSubject subject = orderFileSubject(order, multiFile ? static_cast<int>(i) : kSingleFile);
        if (!isSafeFileName(subject.fileName) || isCompanionOfListedFile(subject.fileName, subject.fileList))
            continue;
        auto recorded = recordedVersionOf(folder, subject.fileName);
        if (recorded && *recorded != subject.version)
            updates.push_back({std::move(subject), std::move(*recorded)});
    }
    return updates;
}

}  // namespace qk::download
