#include "download/progress_text.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace qk::download {
namespace {

constexpr double kKilo = 1024.0;
constexpr double kMega = 1048576.0;

// Locale-independent "%.Nf"; the separator is put in by the caller.
std::size_t printFixed(char* out, std::size_t size, double value, int precision)
{
    const auto result = std::to_chars(out, out + size, value, std::chars_format::fixed, precision);
    return result.ec == std::errc() ? static_cast<std::size_t>(result.ptr - out) : 0;
}

void appendInteger(std::string& text, std::int64_t value)
{
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    text.append(digits, result.ptr);
}

void appendRemaining(std::string& text, std::int32_t seconds)
{
    const std::int32_t hours = seconds / 3600;
    const std::int32_t minutes = (seconds % 3600) / 60;
    const std::int32_t rest = seconds % 60;
    if (hours > 0) {
        appendInteger(text, hours);
        text.append(" Hrs ");
    }
    if (minutes > 0) {
        appendInteger(text, minutes);
        text.append(" Min ");
    }
    appendInteger(text, rest);
    text.append(" Sec");
}

void appendSpeedText(std::string& text, double bytesPerSecond)
{
    double shown = bytesPerSecond;
    std::string_view unit = " Bytes/sec";
    if (bytesPerSecond >= kMega) {
        shown = bytesPerSecond / kMega;
        unit = " MB/sec";
    } else if (bytesPerSecond >= kKilo) {
        shown = bytesPerSecond / kKilo;
        unit = " KB/sec";
    }
    char number[352];
    text.append(number, printFixed(number, sizeof number, shown, 2));
    text.append(unit);
}

}  // namespace

std::string formatRemainingTime(std::int32_t seconds)
{
    std::string text;
    appendRemaining(text, seconds);
    return text;
}

std::string formatSpeed(double bytesPerSecond)
{
    std::string text;
    appendSpeedText(text, bytesPerSecond);
    return text;
}

std::string alreadyCompleteText(std::string_view totalText)
{
    std::string text = "100|0 Sec|";
    text.append(totalText);
    text.append("|N/A|");
    text.append(kStatusCompleted);
    return text;
}

double transferSpeed(std::uint64_t bytesThisTransfer, std::uint32_t elapsedMs)
{
    if (elapsedMs == 0)
        return 0.0;
    return static_cast<double>(bytesThisTransfer) * 1000.0 / static_cast<double>(elapsedMs);
}

std::int32_t remainingSeconds(std::int64_t remainingBytes, double bytesPerSecond)
{
    // No speed yet means no estimate; a server that sent more than it announced
    // leaves nothing to wait for.
    if (!(bytesPerSecond > 0.0) || remainingBytes <= 0)
        return 0;
    const double seconds = std::trunc(static_cast<double>(remainingBytes) / bytesPerSecond);
    constexpr auto kLongest = std::numeric_limits<std::int32_t>::max() - 1;
    if (!(seconds < static_cast<double>(kLongest)))
        return kLongest;
    return static_cast<std::int32_t>(seconds);
}

ProgressTextBuilder::ProgressTextBuilder(char decimalSeparator) : separator_(decimalSeparator)
{
    text_.reserve(160);
}

void ProgressTextBuilder::compose(std::uint64_t bytesDone, std::uint64_t total,
                                  std::string_view totalText, double bytesPerSecond,
                                  std::int32_t secondsLeft, std::string_view status)
{
    text_.clear();
    const double percent = total == 0 ? 0.0
                                      : static_cast<double>(bytesDone) / static_cast<double>(total) * 100.0;
    appendFixed(percent, 8);
    text_.push_back('|');
    text_.append(totalText);
    text_.push_back('|');
    appendSpeed(bytesPerSecond);
    text_.push_back('|');
    appendRemainingTime(secondsLeft + 1);
    text_.push_back('|');
    text_.append(status);
}

void ProgressTextBuilder::appendFixed(double value, int precision)
{
    char number[352];  // room for any double in fixed notation
    const std::size_t length = printFixed(number, sizeof number, value, precision);
    if (separator_ != '.') {
        for (std::size_t i = 0; i < length; ++i) {
            if (number[i] == '.') {
                number[i] = separator_;
                break;
            }
        }
    }
    text_.append(number, length);
}

void ProgressTextBuilder::appendRemainingTime(std::int32_t seconds) { appendRemaining(text_, seconds); }
void ProgressTextBuilder::appendSpeed(double bytesPerSecond) { appendSpeedText(text_, bytesPerSecond); }

}  // namespace qk::download
