#include "download/file_status.h"

#include <filesystem>
#include <system_error>

#include "download/download_job.h"
#include "download/download_record.h"
#include "download/file_names.h"
#include "platform/byte_size_text.h"

namespace qk::download {

namespace {

// A name that is one plain file of its own: not a path, and not another listed file's
// record or partial file (which would pass for a downloaded file of this name).
bool isOwnFileName(const FileStatusQuery& query)
{
    return isSafeFileName(query.fileName) && !isCompanionOfListedFile(query.fileName, query.fileList);
}

}  // namespace

FileStatus describeFileStatus(const FileStatusQuery& query)
{
    std::optional<RecordLines> record;
    bool fileExists = false;
    if (isOwnFileName(query)) {
        const std::string path = joinDownloadPath(query.folder, query.fileName);
        record = readRecordLines(path + std::string(kRecordSuffix));
        std::error_code error;
        fileExists = std::filesystem::exists(path, error);
    }
    return describeFileStatus(query, record, fileExists);
}

FileStatus describeFileStatus(const FileStatusQuery& query, const std::optional<RecordLines>& record,
                              bool fileExists)
{
    FileStatus status;
    status.sizeText = query.sizeText;
    if (query.multiFile) {
        for (const auto& [name, size] : query.fileList) {
            if (name == query.fileName) {
                const auto bytes = platform::parseByteCount(size);
                status.sizeText = bytes ? platform::formatByteSize(*bytes) : std::string();
                break;
            }
        }
    }

    // A name that is not one plain file name is never looked up outside the folder.
    if (isOwnFileName(query))
        status.downloadedFilePath = joinDownloadPath(query.folder, query.fileName);

    std::string& text = status.panelText;
    if (record || fileExists) {
        const RecordLines lines = record.value_or(RecordLines{});
        // The fallback the Open Downloaded File command tries: only a plain name inside
        // the folder counts.
        if (isSafeFileName(lines[0]))
            status.recordedFilePath = joinDownloadPath(query.folder, lines[0]);
        if (!query.multiFile)
            text += "File: " + std::string(recordValue(lines[2])) + "\r\n";
        text += "Downloaded on: " + std::string(recordValue(lines[3])) + "\r\n";
        text += "Version Downloaded: " + std::string(recordValue(lines[4])) + "\r\n";
        text += "Available Version: " + query.version;
        status.downloaded = true;
        return status;
    }
    if (!query.multiFile)
        text += "File: " + query.fileName + "\r\n";
    text += "File Size: " + status.sizeText + "\r\n";
    text += "Available Version: " + query.version + "\r\n";
    text += "Status: Not Downloaded";
    return status;
}

}  // namespace qk::download
