#include "download/library_updates.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <system_error>

#include "download/download_job.h"
#include "download/download_record.h"
#include "download/file_names.h"
#include "platform/byte_size_text.h"

namespace qk::download {

namespace {

constexpr std::string_view kProductIdKey = "vnproductid=";
constexpr std::string_view kFileNameKey = "filename=";
constexpr std::string_view kVersionKey = "version=";
constexpr int kSingleFile = -1;

bool isRegularFile(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(std::filesystem::symlink_status(path, error));
}

// What the record beside a file says: whose file it is and which version was downloaded.
struct RecordedFile {
    std::string productId;
    std::string version;
};

// The record of `fileName`, when there is one that names that very file.
std::optional<RecordedFile> recordedFileOf(const std::filesystem::path& folder, const std::string& fileName)
{
    const std::filesystem::path file = folder / fileName;
    const std::filesystem::path record = folder / (fileName + std::string(kRecordSuffix));
    if (!isRegularFile(file) || !isRegularFile(record))
        return std::nullopt;
    const auto lines = readRecordLines(record.string());
    if (!lines)
        return std::nullopt;
    const std::string& productLine = (*lines)[1];
    const std::string& nameLine = (*lines)[2];
    const std::string& versionLine = (*lines)[4];
    if (!productLine.starts_with(kProductIdKey) || !nameLine.starts_with(kFileNameKey) ||
        nameLine.substr(kFileNameKey.size()) != fileName || !versionLine.starts_with(kVersionKey))
        return std::nullopt;
    return RecordedFile{productLine.substr(kProductIdKey.size()), versionLine.substr(kVersionKey.size())};
}

// Calls `visit(subject, recorded)` for each file of the order that has a record of its own
// name, with another version than the order's.
template <typename Visit>
void forEachRecordedOtherVersion(const OrderFields& order, const std::filesystem::path& folder, Visit visit)
{
    const std::string& files = order[order::kFiles];
    const bool multiFile = files.find('/') != std::string::npos;
    const std::size_t count = multiFile ? readOrderFileList(files).size() : 1;
    for (std::size_t i = 0; i < count; ++i) {
        DownloadSubject subject = orderFileSubject(order, multiFile ? static_cast<int>(i) : kSingleFile);
        if (!isSafeFileName(subject.fileName) || isCompanionOfListedFile(subject.fileName, subject.fileList))
            continue;
        auto recorded = recordedFileOf(folder, subject.fileName);
        if (recorded && recorded->version != subject.version)
            visit(std::move(subject), std::move(*recorded));
    }
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
    forEachRecordedOtherVersion(order, folder, [&](DownloadSubject subject, RecordedFile recorded) {
        if (recorded.productId == subject.productId)
            updates.push_back({std::move(subject), std::move(recorded.version)});
    });
    return updates;
}

std::vector<std::string> filesOfOtherProducts(const OrderFields& order, const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    forEachRecordedOtherVersion(order, folder, [&](DownloadSubject subject, RecordedFile recorded) {
        if (recorded.productId != subject.productId)
            names.push_back(std::move(subject.fileName));
    });
    return names;
}

LibraryUpdatePlan planLibraryUpdates(const std::vector<OrderFields>& orders, const std::filesystem::path& folder)
{
    LibraryUpdatePlan plan;
    const auto listed = [](const auto& names, const std::string& name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    std::vector<std::string> queued;
    for (const OrderFields& order : orders) {
        for (LibraryUpdate& update : outdatedFilesOf(order, folder)) {
            if (listed(queued, update.subject.fileName))
                continue;
            queued.push_back(update.subject.fileName);
            plan.files.push_back(std::move(update.subject));
        }
        for (std::string& name : filesOfOtherProducts(order, folder)) {
            if (!listed(plan.otherProductFiles, name))
                plan.otherProductFiles.push_back(std::move(name));
        }
    }
    return plan;
}

}  // namespace qk::download
