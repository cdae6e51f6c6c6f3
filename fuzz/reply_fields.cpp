// Splitting a reply: the copying splitter and the in-place reader must give the same
// fields. The first byte chooses the separator, the rest is the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "store/reply.h"
#include "max_len.h"

// Each field ends at the next separator, whatever came before: 1 KiB holds hundreds.
QK_FUZZ_MAX_LEN(1024)

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const char separator = static_cast<char>(data[0]);
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const qk::FieldList fields = qk::splitFields(text, separator);
    qk::FieldReader reader(text, separator);
    std::string_view field;
    std::size_t index = 0;
    std::size_t separators = 0;
    for (const char c : text)
        separators += c == separator;
    while (reader.next(field)) {
        if (index >= fields.size() || fields[index] != field)
            std::abort();
        // A view into the text, never a copy.
        if (field.data() < text.data() || field.data() + field.size() > text.data() + text.size())
            std::abort();
        ++index;
    }
    if (index != fields.size() || fields.size() != separators + 1 || reader.next(field))
        std::abort();
    return 0;
}
