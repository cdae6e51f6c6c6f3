#include "download/file_names.h"

#include <array>

#include "download/download_record.h"

namespace qk::download {

bool isCompanionOfListedFile(std::string_view name, const std::vector<FileListEntry>& fileList)
{
    constexpr std::array<std::string_view, 3> suffixes{kRecordSuffix, kPartSuffix, kPartIdentitySuffix};
    for (const std::string_view suffix : suffixes) {
        if (name.size() <= suffix.size() || !name.ends_with(suffix))
            continue;
        const std::string_view base = name.substr(0, name.size() - suffix.size());
        for (const auto& [listed, size] : fileList) {
            if (listed == base)
                return true;
        }
    }
    return false;
}

}  // namespace qk::download
