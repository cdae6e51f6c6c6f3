#pragma once
// The agent's own downloads go to "<file>.part": whether a reply continues the partial
// file, what is kept beside it once a reply is accepted, and the rename into place.

#include "download/download_job.h"
#include "download/header_line.h"
#include "download/partial_identity.h"
#include "download/reply_verdict.h"

#include <cstdint>
#include <optional>

namespace qk::download {

// Bytes re-read before a partial file's end when no strong entity tag proves the file:
// they are compared with those held before anything is appended.
inline constexpr std::uint64_t kOverlapBytes = 64 * 1024;

// A reply to a continued partial file that shows the server has another file than the
// one the partial file was started with: the whole file (the range ignored, or If-Range
// not met), another total or other validators (a validator missing from the reply is
// not another one, unless a strong entity tag carries the continuation), or bytes from
// elsewhere than asked. An error reply says nothing about the file and fails as any
// other, keeping it.
bool replyShowsAnotherFile(const HeaderScan& scan, const PartialIdentity& saved, std::uint64_t from);

// A 416 that says a partial file of `held` bytes is the whole file: its total is the
// saved one and the partial file's size, and it names no other validators.
bool replyShowsWholeFile(const HeaderScan& scan, const PartialIdentity& saved, std::uint64_t held);

// The reply was accepted for the partial file: it must be the order's file, what it is
// goes beside the partial file before any byte does, and the copy it replaces goes.
bool acceptPartialReply(DownloadJob& job, std::uint64_t total, const std::string& totalText,
                        const HeaderScan& scan, const std::optional<PartialIdentity>& saved);

// The partial file (written out already) becomes the file: on disk, of the size the
// server announced (`total`) and the order gives, then renamed into place. A partial
// file of the wrong size is dropped. Closes the job's local file. The identity stays
// until finishCommit, so that undoCommit leaves a whole partial file to be finished later.
bool commitPartialFile(DownloadJob& job, std::uint64_t total);
void finishCommit(DownloadJob& job);
// The file goes back to being the partial file: it counts as not downloaded.
void undoCommit(DownloadJob& job);

}  // namespace qk::download
