// The coupon reply: "success|price" (or "success|price*code" from the auto-lookup), and
// whether the price it names is one the store may set.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "commerce/coupon.h"
#include "store/reply.h"

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view reply(reinterpret_cast<const char*>(data), std::min(size, qk::kCouponReplyMax));
    const qk::FieldList fields = qk::splitFields(reply, '|');
    for (const std::string& field : fields) {
        checkPrice(field);
        checkPrice(qk::splitFields(field, '*')[0]);
    }
    return 0;
}
