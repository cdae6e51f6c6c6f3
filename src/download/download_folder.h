#pragma once
// Where downloads go: <download base>/VarnelPurchase/<vendor id>/, one folder per vendor.

#include <filesystem>
#include <optional>
#include <string_view>

namespace qk {

// base / "VarnelPurchase" / vendorId.
std::filesystem::path productDownloadFolder(const std::filesystem::path& downloadBase,
                                            std::string_view vendorId);

// Creates the two folders below the base (existing ones are fine) and returns the
// vendor's folder; nothing when a folder cannot be made or is not a folder.
std::optional<std::filesystem::path> prepareDownloadFolder(const std::filesystem::path& downloadBase,
                                                           std::string_view vendorId);

}  // namespace qk
