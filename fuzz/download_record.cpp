// The record file beside a download: read by line position, values after the first "=".
// What was read, written back as a record, reads back the same. Read from memory: the
// file reader is a thin wrapper that hands the file's first lines to the same parser.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "download/download_record.h"
#include "download/file_status.h"
#include "max_len.h"
#include "check.h"

namespace {

using qk::fuzz::check;

}  // namespace

// Five short lines (names, a date, a version).
QK_FUZZ_MAX_LEN(1024)

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace qk::download;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const RecordLines lines = parseRecordLines(text);

    // Line k is the text between the k-th and (k+1)-th LF, less one CR at its end.
    std::string_view rest = text;
    std::size_t total = 0;
    for (const std::string& line : lines) {
        const std::size_t end = rest.find('\n');
        std::string_view expected = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (expected.ends_with('\r'))
            expected.remove_suffix(1);
        check(line == expected);
        total += line.size();
    }
    check(total <= size);

    DownloadRecord record;
    record.productName = std::string(recordValue(lines[0]));
    record.productId = std::string(recordValue(lines[1]));
    record.fileName = std::string(recordValue(lines[2]));
    record.version = std::string(recordValue(lines[4]));
    const RecordLines again = parseRecordLines(recordText(record, 1767225600));
    check(recordValue(again[0]) == record.productName);
    check(recordValue(again[1]) == record.productId);
    check(recordValue(again[2]) == record.fileName);
    check(recordValue(again[3]) == recordDate(1767225600));
    check(recordValue(again[4]) == record.version);

    // The status panel from this record: the record's first line and the selected file
    // name (here its third value) become paths only as one plain name inside the folder.
    const auto plainName = [](std::string_view name) {
        return !name.empty() && name != "." && name != ".." &&
               name.find_first_of(std::string_view("/\\:\0", 4)) == std::string_view::npos;
    };
    const std::string folder = "/downloads/VarnelPurchase/tovrin";
    FileStatusQuery query;
    query.folder = folder;
    query.fileName = record.fileName;
    query.version = "2.1";
    const FileStatus status = describeFileStatus(query, lines, false);
    check(status.downloaded);
    check(status.recordedFilePath == (plainName(lines[0]) ? folder + "/" + lines[0] : std::string()));
    check(status.downloadedFilePath == (plainName(record.fileName) ? folder + "/" + record.fileName : std::string()));
    check(status.panelText == "File: " + record.fileName + "\r\nDownloaded on: " + std::string(recordValue(lines[3])) +
                                  "\r\nVersion Downloaded: " + record.version + "\r\nAvailable Version: 2.1");
    return 0;
}
