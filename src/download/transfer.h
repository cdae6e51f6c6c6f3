#pragma once
// The download engine: moves one file from a file server into the job's local file,
// continuing a partial file where it ends, and reports through the job's progress text.

#include "download/download_job.h"
#include "download/engine_texts.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qk::download {

inline constexpr std::size_t kReadSize = 10240;  // bytes of one pass of the read loop
// What libcurl takes from the socket at once. Each delivery is cut into passes of
// kReadSize, so progress and cancel keep their granularity, while the socket is
// not asked (and polled) once per 10 KB: at loopback rates that alone halved throughput.
inline constexpr std::size_t kReceiveBufferSize = 256 * 1024;


// Opens or creates the job's local file without truncating it and keeps it in
// job.localFile. Returns the resume offset (the file's end when `exists`, else 0),
// or -1 after setting "Error: Cannot open file." and clearing the running flag.
std::int64_t openLocalFile(DownloadJob& job, const std::string& path, bool exists);

// Runs the transfer described by the job (source URL, local path, expected size).
// Leaves a final progress text and result message, closes everything it opened and
// clears the running flag on every way out. Returns 0.
int runTransfer(DownloadJob& job);

}  // namespace qk::download
