#include "platform/free_space.h"

#include <system_error>

namespace qk::platform {

std::optional<std::uint64_t> SystemFreeSpace::availableBytes(const std::filesystem::path& folder)
{
    // The download folder is made by the first download; until then its parent's file
    // system is the one that will hold it.
    std::filesystem::path existing = folder.lexically_normal();
    std::error_code error;
    while (!std::filesystem::exists(existing, error)) {
        if (!existing.has_relative_path())
            return std::nullopt;
        existing = existing.parent_path();
    }
    const std::filesystem::space_info info = std::filesystem::space(existing, error);
    if (error || info.available == static_cast<std::uintmax_t>(-1))
        return std::nullopt;
    return static_cast<std::uint64_t>(info.available);
}

}  // namespace qk::platform
