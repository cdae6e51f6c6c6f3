#pragma once
// The small record written beside every downloaded file: five CR LF lines naming the
// product, the file, when it was fetched (UTC) and which version. Readers take the lines
// by position, never by key, so older records with other keys still read.

#include <array>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace qk::download {

inline constexpr std::string_view kRecordSuffix = ".cfg";

struct DownloadRecord {
    std::string productName;
    std::string productId;
    std::string fileName;
    std::string version;
};

// The C library's fixed date form of `when` in UTC, e.g. "Sun Mar  1 08:05:09 2026".
std::string recordDate(std::time_t when);

// The record's whole text: "vnproduct=…", "vnproductid=…", "filename=…", "date=…",
// "version=…", each line ending in CR LF.
std::string recordText(const DownloadRecord& record, std::time_t when);

// Replaces the file at `path` with the record, whole (through a synced temporary file
// and a rename; a link at `path` is replaced, never written through); false when it
// cannot be written, and then the old record is left as it was.
bool writeDownloadRecord(const std::string& path, const DownloadRecord& record, std::time_t when);

// The five lines of a record as they stand, line ends removed; lines missing at the end
// of a short record are empty. Nothing when the file cannot be opened.
using RecordLines = std::array<std::string, 5>;
std::optional<RecordLines> readRecordLines(const std::string& path);

// The same five lines from a record's text already in memory: lines end at LF, one CR
// before it is dropped.
RecordLines parseRecordLines(std::string_view text);

// What follows the first "=" of a line (the whole line when there is none).
std::string_view recordValue(std::string_view line);

}  // namespace qk::download
