// The header lines of a ranged file reply, one line at a time as libcurl hands them
// over, then the verdict on the reply they describe and its Content-Range.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "download/content_range.h"
#include "download/header_line.h"
#include "download/reply_verdict.h"

namespace {

using namespace qk::download;

void check(bool ok)
{
    if (!ok)
        std::abort();
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

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    HeaderScan scan;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = end == std::string_view::npos ? rest : rest.substr(0, end + 1);
        rest.remove_prefix(line.size());
        scan = readHeaderLine(scan, line);
        if (scan.reply.contentRange)
            check(scan.reply.contentRange->size() <= kMaxContentRangeValue);
        if (scan.complete)
            check(!scan.inHeaders);
        (void)parseContentRange(line);
        (void)parseUnsigned(line);
        judge(scan.reply);
    }
    return 0;
}
