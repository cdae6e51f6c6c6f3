#pragma once
// How much a folder's file system can still take, as a small port: the agent reads the
// system's figure, a test hands over a figure of its own.

#include <cstdint>
#include <filesystem>
#include <optional>

namespace qk::platform {

class FreeSpace {
public:
    virtual ~FreeSpace() = default;
    // Bytes an unprivileged program may still write where `folder` lies (the folder itself
    // need not exist yet); nothing when the system does not say.
    virtual std::optional<std::uint64_t> availableBytes(const std::filesystem::path& folder) = 0;
};

// The system's figure, for the nearest folder of `folder`'s path that exists.
class SystemFreeSpace final : public FreeSpace {
public:
    std::optional<std::uint64_t> availableBytes(const std::filesystem::path& folder) override;
};

}  // namespace qk::platform
