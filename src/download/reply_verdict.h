#pragma once
// What the reply headers of a ranged file request allow, decided before any body
// byte reaches the local file.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qk::download {

struct ReplyHeaders {
    long status = 0;
    std::uint64_t contentLength = 0;  // 0 when missing
    std::optional<std::string> contentRange;
};

struct ReplyVerdict {
    enum class Kind { Proceed, AlreadyComplete, Refused };
    Kind kind = Kind::Refused;
    std::string_view error;  // the failure text when refused
    std::uint64_t total = 0;
    std::string totalText;
};

// The checks in their order: a length (or the expected size), a Content-Range that
// splits, then where the local file stands against the total. Bytes are taken only
// when they continue the local file exactly where it ends.
ReplyVerdict judgeReply(const ReplyHeaders& headers, std::uint64_t expectedSize, std::uint64_t resumeOffset);

}  // namespace qk::download
