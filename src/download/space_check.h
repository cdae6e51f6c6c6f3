#pragma once
// Free space before a byte is written: what a download (or a queue of them) is about to
// write into the download folder, against what the folder's file system can still take.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "download/download_display.h"
#include "platform/free_space.h"

namespace qk::download {

inline constexpr const char* kNoSpaceCaption = "Not Enough Disk Space";

struct SpaceShortage {
    std::uint64_t needed = 0;
    std::uint64_t available = 0;
};

// What fetching `files` into `folder` writes: each file's byte count from its order, less
// what a partial file of the same version already holds (it is continued). A file whose
// size the order does not give counts nothing.
std::uint64_t bytesToWrite(const std::filesystem::path& folder, const std::vector<DownloadSubject>& files);

// The shortage when the files do not fit; nothing when they do, or when the file system
// does not say how much it can take.
std::optional<SpaceShortage> findSpaceShortage(platform::FreeSpace& space, const std::filesystem::path& folder,
                                               const std::vector<DownloadSubject>& files);

// The message that refuses the download, naming both sizes.
std::string shortageMessage(const SpaceShortage& shortage);

}  // namespace qk::download
