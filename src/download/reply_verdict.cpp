#include "download/reply_verdict.h"

#include "download/content_range.h"
#include "download/engine_texts.h"

namespace qk::download {

ReplyVerdict judgeReply(const ReplyHeaders& headers, std::uint64_t expectedSize, std::uint64_t resumeOffset)
{
    ReplyVerdict verdict;
    if (headers.contentLength == 0 && expectedSize == 0) {
        verdict.error = kInvalidContentLength;
        return verdict;
    }
    verdict.error = kUnspecifiedError;
    const auto range = headers.contentRange ? parseContentRange(*headers.contentRange) : std::nullopt;
    if (!range)
        return verdict;
    verdict.total = range->total;
    verdict.totalText = range->totalText;

    // A local file longer than the server's is not a prefix of it.
    if (resumeOffset > range->total)
        return verdict;
    if (resumeOffset == range->total) {
        verdict.kind = ReplyVerdict::Kind::AlreadyComplete;
        verdict.error = {};
        return verdict;
    }
    // A server that ignores the range and answers from byte 0, or an error page,
    // would corrupt the file.
    if (headers.status < 200 || headers.status > 299 || !range->first || *range->first != resumeOffset)
        return verdict;
    verdict.kind = ReplyVerdict::Kind::Proceed;
    verdict.error = {};
    return verdict;
}

}  // namespace qk::download
