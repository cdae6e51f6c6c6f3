// The PayPal session reply: "ok|" and the 16-character session token, or a refusal. The
// token is the reply's own bytes after "ok|", never more than 16 of them, and only a
// reply that carries all 16 leaves a session the "Complete" button may use.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "commerce/purchase_request.h"
#include "max_len.h"
#include "check.h"

namespace {

using qk::fuzz::check;

}  // namespace

// Only "ok|" and the 16 bytes after it are read.
QK_FUZZ_MAX_LEN(64)

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    std::string token = "previous-session";
    const bool opened = qk::paypalToken(reply, token);
    check(opened == reply.starts_with("ok|"));
    if (!opened) {
        check(token == "previous-session");  // a refusal leaves the caller's text alone
        return 0;
    }
    check(token.size() <= 16);
    check(reply.substr(3).starts_with(token));
    check((token.size() == 16) == (reply.size() >= 19));
    return 0;
}
