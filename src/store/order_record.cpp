#include "store/order_record.h"

#include "store/reply.h"

namespace qk {

void readOrderRecord(std::string_view record, OrderFields& fields)
{
    FieldReader reader(record, '*');
    std::string_view field;
    for (std::size_t i = 0; i < fields.size() && reader.next(field); ++i)
        fields[i] = field;
}

OrderFileList readOrderFileList(std::string_view files)
{
    OrderFileList list;
    FieldReader entries(files, '/');
    std::string_view entry;
    while (entries.next(entry)) {
        const std::size_t colon = entry.find(':');
        list.emplace_back(std::string(entry.substr(0, colon)),
                          colon == std::string_view::npos ? std::string() : std::string(entry.substr(colon + 1)));
    }
    return list;
}

}  // namespace qk
