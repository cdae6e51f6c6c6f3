#pragma once
// File operations in the download folder that never follow a symbolic link: a link
// planted where one of the agent's files goes is refused or replaced, never written
// through, and its target is never touched.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qk::download {

// What lies at a path, the path's last component itself (a link is not followed).
enum class PathKind { Missing, RegularFile, Link, Other, Unknown };
PathKind pathKind(const std::string& path);

// Opens a regular file for writing (and reading back what it holds) without truncating
// it, creating it when missing.
// -1 when the path is a link or anything but a regular file.
int openRegularForWriting(const std::string& path);

// The file's bytes, at most `limit` of them; nothing when it is missing, a link or not a
// regular file, or longer than `limit`.
std::optional<std::string> readSmallRegularFile(const std::string& path, std::size_t limit);

// Replaces `path` with `bytes` whole: a new file beside it, synced, renamed over it, and
// the folder synced. A link at `path` is replaced, not followed. False when anything
// failed (the temporary file is removed again).
bool replaceFileWhole(const std::string& path, std::string_view bytes);

// Removes `path` when it is a regular file, or a link when `links` is set (the link
// itself). False when something of that kind is still there.
bool removeFileOrLink(const std::string& path, bool links);

// Flushes the folder holding `path`, so that a rename into it survives a power cut.
bool syncFolderOf(const std::string& path);

}  // namespace qk::download
