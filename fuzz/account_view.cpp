// The account view reply: nine 0x01-separated fields, each kept whole whatever its length.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "account/account_form.h"
#include "store/reply.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    const auto profile = qk::parseAccountView(reply);
    const qk::FieldList fields = qk::splitFields(reply, '\x01');
    if (!profile)
        return 0;
    if (fields.size() != 9)
        std::abort();
    for (std::size_t i = 0; i < profile->fields.size(); ++i) {
        if (profile->fields[i] != fields[i + 1])
            std::abort();
    }
    return 0;
}
