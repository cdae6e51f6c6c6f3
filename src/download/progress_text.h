#pragma once
// The one-line progress text through which the download worker reports:
// "percent|total|speed|remaining time|status", or a one-field error message.

#include <cstdint>
#include <string>
#include <string_view>

namespace qk::download {

inline constexpr std::string_view kPendingText = "0|0|0|0|Pending";
inline constexpr std::string_view kStatusDownloading = "Downloading";
inline constexpr std::string_view kStatusCompleted = "Completed";
inline constexpr std::string_view kStatusCanceled = "Canceled";

// "1 Hrs 2 Min 5 Sec", "2 Min 0 Sec", "59 Sec".
std::string formatRemainingTime(std::int32_t seconds);

// The speed field: "512.00 Bytes/sec", "37.55 KB/sec", "1.20 MB/sec".
std::string formatSpeed(double bytesPerSecond);

// The text for a local file that already holds the whole server file.
std::string alreadyCompleteText(std::string_view totalText);

// Bytes per second of this transfer; 0 while no time has passed, so the first pass of
// a fast transfer never divides by zero.
double transferSpeed(std::uint64_t bytesThisTransfer, std::uint32_t elapsedMs);

// Whole seconds left at the given speed, bounded so that the displayed value
// (plus the one second the display adds) is never negative or overflowing.
std::int32_t remainingSeconds(std::int64_t remainingBytes, double bytesPerSecond);

// Builds the five-field text of one pass into a buffer that is reused from pass to
// pass, so the read loop does not allocate.
class ProgressTextBuilder {
public:
    explicit ProgressTextBuilder(char decimalSeparator = '.');

    // Composes "percent|total|speed|time|status" into text().
    void compose(std::uint64_t bytesDone, std::uint64_t total, std::string_view totalText,
                 double bytesPerSecond, std::int32_t secondsLeft, std::string_view status);
    void appendStatus(std::string_view status) { text_.append(status); }

    std::string& text() { return text_; }

private:
    void appendFixed(double value, int precision);
    void appendRemainingTime(std::int32_t seconds);
    void appendSpeed(double bytesPerSecond);

    char separator_;
    std::string text_;
};

}  // namespace qk::download
