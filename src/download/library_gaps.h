#pragma once
// The files of the customer's library that Download All fetches: those missing from the
// download folder, and those on disk in the order's version but not at the order's size
// (cut or damaged). Read from the order records and the records beside the files.

#include <filesystem>
#include <vector>

#include "download/download_display.h"
#include "store/order_record.h"

namespace qk::download {

enum class GapKind { Missing, Damaged };

struct LibraryGap {
    DownloadSubject subject;
    GapKind kind = GapKind::Missing;
};

// The files of one order that are missing or damaged, in the order's file order. Missing:
// nothing at all at the file's name (a partial file does not count as the file). Damaged: a
// plain file whose record names this product, this file and the order's version, and
// whose size differs from the order's byte count, when the order gives one. A file on
// disk without a record counts as downloaded, as the file status panel says; a file in
// another version is an update, not a gap.
std::vector<LibraryGap> missingOrDamagedFilesOf(const OrderFields& order, const std::filesystem::path& folder);

}  // namespace qk::download
