// The header lines of a ranged file reply, one line at a time as libcurl hands them
// over, then the verdict on the reply they describe and its Content-Range.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <utility>

#include "download/content_range.h"
#include "download/header_line.h"
#include "download/reply_verdict.h"
#include "max_len.h"
#include "check.h"

namespace {

using namespace qk::download;

using qk::fuzz::check;

// A plain unsigned decimal between blanks (space, tab, CR, LF) that fits 64 bits.
void checkUnsigned(std::string_view text)
{
    const auto begin = text.find_first_not_of(" \t\r\n");
    const auto end = text.find_last_not_of(" \t\r\n");
    const std::string_view core = begin == std::string_view::npos ? std::string_view() : text.substr(begin, end - begin + 1);
    bool digits = !core.empty();
    unsigned __int128 value = 0;
    for (const char c : core) {
        if (c < '0' || c > '9') {
            digits = false;
            break;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > UINT64_MAX)
            value = static_cast<unsigned __int128>(UINT64_MAX) + 1;  // stays too large
    }
    const auto parsed = parseUnsigned(text);
    check(parsed.has_value() == (digits && value <= UINT64_MAX));
    if (parsed)
        check(*parsed == static_cast<std::uint64_t>(value));
}

void judge(const ReplyHeaders& headers)
{
    const auto range = headers.contentRange ? parseContentRange(*headers.contentRange) : std::nullopt;
    std::uint64_t offsets[] = {0, 1, 1000, 0, 0, 0, 0};
    if (range) {
        offsets[3] = range->total;
        offsets[4] = range->total - 1;
        offsets[5] = range->total + 1;
        offsets[6] = range->first.value_or(0);
    }
    for (const std::uint64_t expected : {std::uint64_t{0}, std::uint64_t{1000}}) {
        for (const std::uint64_t offset : offsets) {
            const ReplyVerdict verdict = judgeReply(headers, expected, offset);
            switch (verdict.kind) {
            case ReplyVerdict::Kind::Proceed:
                // Bytes are taken only where they continue the local file.
                check(range && range->first && *range->first == offset && offset < range->total);
                check(headers.status >= 200 && headers.status <= 299 && verdict.error.empty());
                break;
            case ReplyVerdict::Kind::AlreadyComplete:
                check(range && offset == range->total && verdict.error.empty());
                break;
            case ReplyVerdict::Kind::Refused:
                check(!verdict.error.empty());
                break;
            }
        }
    }
}

}  // namespace

// A Content-Range value over 999 bytes is dropped whole: 2 KiB holds a line on either
// side of that limit and the other lines of a reply.
QK_FUZZ_MAX_LEN(2048)

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    HeaderScan scan;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = end == std::string_view::npos ? rest : rest.substr(0, end + 1);
        rest.remove_prefix(line.size());
        scan = readHeaderLine(std::move(scan), line);
        if (scan.reply.contentRange)
            check(scan.reply.contentRange->size() <= kMaxContentRangeValue);
        if (scan.complete)
            check(!scan.inHeaders);
        (void)parseContentRange(line);
        checkUnsigned(line);
        if (const auto colon = line.find(':'); colon != std::string_view::npos)
            checkUnsigned(line.substr(colon + 1));
        // The engine judges the headers of a reply once they are complete.
        if (scan.complete)
            judge(scan.reply);
    }
    judge(scan.reply);
    return 0;
}
