// The progress line the download worker reports: numbers a transfer can produce (the
// first 24 bytes: bytes done, total, elapsed milliseconds), the server's total text (the
// rest) and the five fields they make.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "download/progress_text.h"
#include "check.h"

namespace {

using qk::fuzz::check;

template <typename T>
T take(const std::uint8_t*& data, std::size_t& size)
{
    T value{};
    const std::size_t n = std::min(size, sizeof value);
    std::memcpy(&value, data, n);
    data += n;
    size -= n;
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace qk::download;
    const auto done = take<std::uint64_t>(data, size);
    const auto total = take<std::uint64_t>(data, size);
    const auto elapsedMs = take<std::uint32_t>(data, size);
    const auto decimal = take<char>(data, size);
    std::string totalText(reinterpret_cast<const char*>(data), size);
    std::replace(totalText.begin(), totalText.end(), '|', ' ');

    const double speed = transferSpeed(done, elapsedMs);
    check(speed >= 0.0);
    const auto remaining = static_cast<std::int64_t>(total - std::min(total, done));
    const std::int32_t seconds = remainingSeconds(remaining, speed);
    check(seconds >= 0 && seconds < INT32_MAX);
    check(!formatRemainingTime(seconds).empty());
    check(!formatSpeed(speed).empty());

    ProgressTextBuilder builder(decimal == '|' ? ',' : decimal);
    builder.compose(done, total, totalText, speed, seconds, kStatusDownloading);
    const std::string& text = builder.text();
    check(std::count(text.begin(), text.end(), '|') == 4);
    check(text.ends_with(kStatusDownloading));
    const std::string complete = alreadyCompleteText(totalText);
    check(std::count(complete.begin(), complete.end(), '|') == 4);
    return 0;
}
