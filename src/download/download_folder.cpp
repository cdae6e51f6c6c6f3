#include "download/download_folder.h"

#include <system_error>

namespace qk {

namespace {
constexpr const char* kPurchaseFolder = "VarnelPurchase";

bool makeFolder(const std::filesystem::path& folder)
{
    std::error_code error;
    std::filesystem::create_directory(folder, error);
    return std::filesystem::is_directory(folder, error);
}
}  // namespace

std::filesystem::path productDownloadFolder(const std::filesystem::path& downloadBase,
                                            std::string_view vendorId)
{
    return downloadBase / kPurchaseFolder / std::string(vendorId);
}

std::optional<std::filesystem::path> prepareDownloadFolder(const std::filesystem::path& downloadBase,
                                                           std::string_view vendorId)
{
    // Only the two levels of our own: a base that is gone is the customer's to restore.
    if (downloadBase.empty() || !makeFolder(downloadBase / kPurchaseFolder))
        return std::nullopt;
    std::filesystem::path folder = productDownloadFolder(downloadBase, vendorId);
    if (!makeFolder(folder))
        return std::nullopt;
    return folder;
}

}  // namespace qk
