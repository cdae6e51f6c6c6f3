// The PayPal session reply: "ok|" and the 16-character session token, or a refusal. The
// token is the reply's own 16 bytes after "ok|", all of them ASCII letters and digits
// (it goes into the browser's address and the purchase body as it stands); any other
// reply opens no session and leaves the caller's text alone.
#include <algorithm>
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
    const auto letterOrDigit = [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    };
    const bool wellFormed = reply.starts_with("ok|") && reply.size() >= 19 &&
                            std::all_of(reply.begin() + 3, reply.begin() + 19, letterOrDigit);
    check(opened == wellFormed);
    if (!opened) {
        check(token == "previous-session");  // a refusal leaves the caller's text alone
        return 0;
    }
    check(token == reply.substr(3, 16));
    return 0;
}
