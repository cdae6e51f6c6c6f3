#pragma once
// The names a download uses beside the file itself: its record, the partial file it is
// written to until it is whole, and what identifies that partial file.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qk::download {

inline constexpr std::string_view kPartSuffix = ".part";
// The version, total and validators the partial file was started with.
inline constexpr std::string_view kPartIdentitySuffix = ".part.id";

// A file of a product's list: (name, size in bytes as text).
using FileListEntry = std::pair<std::string, std::string>;

// True when `name` is another entry of the list with one of the download's own suffixes
// (".cfg", ".part", ".part.id"): its "file" would be that entry's record or partial file.
bool isCompanionOfListedFile(std::string_view name, const std::vector<FileListEntry>& fileList);

}  // namespace qk::download
