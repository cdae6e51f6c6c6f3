#pragma once
// Updates of the customer's library: downloaded files whose record names another version
// than the one their order offers now. Read from the order records and the records beside
// the files; nothing is fetched.

#include <filesystem>
#include <string>
#include <vector>

#include "download/download_display.h"
#include "store/order_record.h"

namespace qk::download {

// One file of an owned order that is on disk in an older (or other) version, with the
// download that brings it up to date.
struct LibraryUpdate {
    DownloadSubject subject;
    std::string recordedVersion;
};

// The download of file `fileIndex` (from 0) of a multi-file order, or of the order's only
// file when it offers one.
DownloadSubject orderFileSubject(const OrderFields& order, int fileIndex);

// The outdated files of one order, in the order's file order. A file counts only when the
// file and its record are both in `folder`, the record names that very file and the
// order's product and has its version line, and that version differs from the order's.
// Anything else (no record, an empty or garbled one, another product's record, an order
// without files) is never an update.
std::vector<LibraryUpdate> outdatedFilesOf(const OrderFields& order, const std::filesystem::path& folder);

// The files of one order whose name is taken by another product's file: the record beside
// it names that very file but another product, with another version than the order's.
// Updating them would replace the other product's file.
std::vector<std::string> filesOfOtherProducts(const OrderFields& order, const std::filesystem::path& folder);

// What Update All fetches for a library: each file name once (the first order that has an
// update of it), and the file names it leaves alone because another product's file is there.
struct LibraryUpdatePlan {
    std::vector<DownloadSubject> files;
    std::vector<std::string> otherProductFiles;
};
LibraryUpdatePlan planLibraryUpdates(const std::vector<OrderFields>& orders, const std::filesystem::path& folder);

}  // namespace qk::download
