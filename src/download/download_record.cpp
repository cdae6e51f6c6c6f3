#include "download/download_record.h"

#include "download/no_follow_file.h"

#include <cstdio>
#include <fstream>
#include <system_error>
#include <filesystem>

namespace qk::download {

namespace {

constexpr std::array<const char*, 7> kDays{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<const char*, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

std::string recordDate(std::time_t when)
{
    std::tm utc{};
    if (gmtime_r(&when, &utc) == nullptr)
        return {};
    // Built by hand rather than with asctime: English names whatever the locale, and no
    // shared static buffer.
    char text[64];
    std::snprintf(text, sizeof text, "%s %s %2d %02d:%02d:%02d %d",
                  kDays.at(static_cast<std::size_t>(utc.tm_wday)),
                  kMonths.at(static_cast<std::size_t>(utc.tm_mon)), utc.tm_mday, utc.tm_hour,
                  utc.tm_min, utc.tm_sec, utc.tm_year + 1900);
    return text;
}

std::string recordText(const DownloadRecord& record, std::time_t when)
{
    std::string text;
    text += "vnproduct=" + record.productName + "\r\n";
    text += "vnproductid=" + record.productId + "\r\n";
    text += "filename=" + record.fileName + "\r\n";
    text += "date=" + recordDate(when) + "\r\n";
    text += "version=" + record.version + "\r\n";
    return text;
}

bool writeDownloadRecord(const std::string& path, const DownloadRecord& record, std::time_t when)
{
    // A new record beside the old one, renamed over it once on disk: a crash leaves the
    // old record or the new one, never half of one, and a link there is not followed.
    return replaceFileWhole(path, recordText(record, when));
}

RecordLines parseRecordLines(std::string_view text)
{
    RecordLines lines;
    for (std::string& line : lines) {
        if (text.empty())
            break;
        const std::size_t end = text.find('\n');
        line.assign(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
    }
    return lines;
}

std::optional<RecordLines> readRecordLines(const std::string& path)
{
    std::error_code error;
    // Opening a folder for reading succeeds on some systems and then reads nothing.
    if (std::filesystem::is_directory(path, error))
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    // Five short lines are all a record holds; whatever follows them is never looked at.
    std::string text;
    std::string line;
    for (std::size_t n = 0; n < std::tuple_size_v<RecordLines> && std::getline(in, line); ++n) {
        text += line;
        text += '\n';
    }
    return parseRecordLines(text);
}

std::string_view recordValue(std::string_view line)
{
    const auto equals = line.find('=');
    return equals == std::string_view::npos ? line : line.substr(equals + 1);
}

}  // namespace qk::download
