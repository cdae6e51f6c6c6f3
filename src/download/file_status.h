#pragma once
// What the file status panel says about the selected file: read from the file itself
// and from its download record, whichever of the two is there.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "download/download_record.h"

namespace qk::download {

inline constexpr std::string_view kSelectFilePrompt = "File Status: Select a File...";

struct FileStatusQuery {
    std::string folder;    // the download folder
    std::string fileName;  // the selected file
    std::string version;   // the version the store offers now
    std::string sizeText;  // the selected file's size as the panel shows it
    bool multiFile = false;
    // Multi-file product: (name, size in bytes as text) of every file it offers.
    std::vector<std::pair<std::string, std::string>> fileList;
};

struct FileStatus {
    std::string panelText;
    bool downloaded = false;          // the file or its record is there
    std::string downloadedFilePath;   // where the file is (or would be)
    std::string recordedFilePath;     // the folder and the record's first line; "" if none
    std::string sizeText;             // the query's, or the file list's for a multi-file product
};

FileStatus describeFileStatus(const FileStatusQuery& query);

// The same from what the disk holds, already looked up: the record beside the file (when
// there is one) and whether the file itself is there.
FileStatus describeFileStatus(const FileStatusQuery& query, const std::optional<RecordLines>& record,
                              bool fileExists);

}  // namespace qk::download
