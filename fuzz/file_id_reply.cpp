// The file-id reply: exactly five "|"-separated fields, the fifth the id.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "download/file_id.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    const auto id = qk::download::fileIdOf(reply);
    const auto bars = std::count(reply.begin(), reply.end(), '|');
    if (id.has_value() != (bars == 4))
        std::abort();
    if (id && (id->find('|') != std::string::npos || reply.substr(reply.size() - id->size()) != *id))
        std::abort();
    if (id)
        (void)qk::download::fileUrl("files1.example", *id);
    return 0;
}
