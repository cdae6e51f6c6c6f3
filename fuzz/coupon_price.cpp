// The coupon reply: "success|price" (or "success|price*code" from the auto-lookup), what
// the coupon flow makes of it, and whether the price it names is one the store may set.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "commerce/coupon.h"
#include "store/reply.h"
#include "max_len.h"
#include "check.h"

namespace {

using qk::fuzz::check;

void checkPrice(std::string_view price)
{
    if (!qk::isValidPrice(price))
        return;
    // One plain decimal number, read whole by the C library; 0 only with a leading "0".
    const std::string text(price);
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    check(!text.empty() && end == text.c_str() + text.size());
    check(text.find_first_not_of("0123456789.") == std::string::npos);
    check(value != 0.0 || text.front() == '0');
}

void checkReply(std::string_view reply, bool automatic)
{
    using Kind = qk::CouponReply::Kind;
    const qk::CouponReply answer = qk::readCouponReply(reply, automatic, "SAVE10");
    const qk::FieldList fields = qk::splitFields(reply, '|');
    if (fields.size() != 2) {
        check(answer.kind == Kind::Malformed);
        return;
    }
    if (fields[0] != "success") {
        check(answer.kind == Kind::ServerMessage && answer.serverMessage == fields[1]);
        return;
    }
    check(answer.kind == Kind::Price || answer.kind == Kind::InvalidPrice);
    check((answer.kind == Kind::Price) == qk::isValidPrice(answer.price));
    if (answer.kind == Kind::Price) {
        // Never a negative price, never one with anything but digits and a point.
        check(answer.price.find_first_not_of("0123456789.") == std::string::npos);
    }
    if (automatic) {
        // "price*code": the price before the first "*", the code up to the next one.
        const std::size_t star = fields[1].find('*');
        check(answer.price == fields[1].substr(0, star));
        if (answer.kind == Kind::Price) {
            const std::string after = star == std::string::npos ? std::string() : fields[1].substr(star + 1);
            check(answer.code == after.substr(0, after.find('*')));
        }
    } else {
        check(answer.price == fields[1]);
        if (answer.kind == Kind::Price)
            check(answer.code == "SAVE10");
    }
}

}  // namespace

// requestCoupon keeps 199 bytes of the reply.
QK_FUZZ_MAX_LEN(256)

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The reply as requestCoupon keeps it.
    const std::string_view reply(reinterpret_cast<const char*>(data), std::min(size, qk::kCouponReplyMax));
    const qk::FieldList fields = qk::splitFields(reply, '|');
    for (const std::string& field : fields) {
        checkPrice(field);
        checkPrice(qk::splitFields(field, '*')[0]);
    }
    checkReply(reply, false);
    checkReply(reply, true);
    return 0;
}
