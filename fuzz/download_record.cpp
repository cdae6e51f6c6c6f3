// The record file beside a download: read by line position, values after the first "=".
// What was read, written back as a record, reads back the same.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

#include "download/download_record.h"

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

// One scratch file for the whole run.
const std::string& scratchPath()
{
    static const std::string path = [] {
        char folder[] = "/tmp/qk-fuzz-record.XXXXXX";
        check(mkdtemp(folder) != nullptr);
        return std::string(folder) + "/file.zip.cfg";
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace qk::download;
    {
        std::ofstream out(scratchPath(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const auto lines = readRecordLines(scratchPath());
    check(lines.has_value());
    std::size_t total = 0;
    for (const std::string& line : *lines) {
        check(line.find('\n') == std::string::npos);
        total += line.size();
    }
    check(total <= size);

    DownloadRecord record;
    record.productName = std::string(recordValue((*lines)[0]));
    record.productId = std::string(recordValue((*lines)[1]));
    record.fileName = std::string(recordValue((*lines)[2]));
    record.version = std::string(recordValue((*lines)[4]));
    check(writeDownloadRecord(scratchPath(), record, 1767225600));
    const auto again = readRecordLines(scratchPath());
    check(again.has_value());
    check(recordValue((*again)[0]) == record.productName);
    check(recordValue((*again)[1]) == record.productId);
    check(recordValue((*again)[2]) == record.fileName);
    check(recordValue((*again)[3]) == recordDate(1767225600));
    check(recordValue((*again)[4]) == record.version);
    return 0;
}
