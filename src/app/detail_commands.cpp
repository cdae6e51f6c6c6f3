// Commands that act on the product shown in the detail panel.
#include <filesystem>
#include <system_error>

#include "app/agent.h"
#include "app/cart_access.h"
#include "app/detail_panel.h"
#include "app/download_access.h"
#include "download/download_folder.h"
#include "download/download_job.h"
#include "download/file_names.h"
#include "platform/web_address.h"
#include "ui/resources/main_window.h"

namespace qk::app {

namespace ids = ui::resources;

namespace {

constexpr std::size_t kFileEntryMax = 99;

std::string shownPrice(const CurrentProduct& product)
{
    return product.onSale && !product.couponPriced ? product.salePriceText : product.priceText;
}

bool isNonEmptyFile(const std::filesystem::path& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    const auto size = std::filesystem::file_size(path, error);
    return !error && size > 0;
}

}  // namespace

void onAddToCartClicked(Agent& agent, ui::DialogView& view)
{
    CurrentProduct& product = agent.currentProduct;
    if (product.inCart) {
        if (removeFromCart(agent, product.productId) == 1) {
            view.setText(ids::kAddToCart, "Add to Cart ($" + shownPrice(product) + ")");
            product.inCart = false;
        }
    } else {
        const std::string price = product.couponPriced || product.salePriceText.empty()
                                      ? product.priceText
                                      : product.salePriceText;
        if (addToCart(agent, {product.productId, product.productName, price, product.couponCode,
                              product.cartTag, product.bundleOffer.productId}) == 1) {
            view.setText(ids::kAddToCart, "Remove ($" + price + ")");
            product.inCart = true;
        }
        const BundleOffer& offer = product.bundleOffer;
        if (view.isChecked(ids::kBundlePricing) && !offer.productId.empty()) {
            // The offered product may already be in the cart at its normal price.
            if (cartLookup(agent, offer.productId) == 1)
                removeFromCart(agent, offer.productId);
            addToCart(agent, {offer.productId, offer.name, offer.discountedPrice, "",
                              offer.cartTag, ""});
        }
    }
    const int count = cartCount(agent);
    view.setText(ids::kCheckout, "Checkout (" + std::to_string(count) + ") Items");
    view.setEnabled(ids::kCheckout, count != 0);
}

void onBundlePricingClicked(Agent& agent, ui::DialogView& view)
{
    if (!view.isChecked(ids::kBundlePricing))
        return;
    const CurrentProduct& product = agent.currentProduct;
    const BundleOffer& offer = product.bundleOffer;
    agent.message(&view,
                  "When you select Add to Cart we will also add " + offer.name +
                      " at a discounted price of $" + offer.discountedPrice +
                      ". Note that if you remove " + product.productName + " from your cart " +
                      offer.name + " will also be removed.",
                  "Important Cart Information", ui::mb::kIconExclamation);
}

void onProductSupportClicked(Agent& agent)
{
    // The link is store text: a web page opens in the browser, anything else (a local
    // path, another scheme) would have the desktop open a file or start a program, so it
    // is not opened at all, as an empty link is not.
    const std::string& link = agent.currentProduct.supportUrl;
    if (platform::isWebAddress(link))
        agent.services.shell.open(link);
}

void onFileBoxChanged(Agent& agent, ui::DialogView& view)
{
    CurrentProduct& product = agent.currentProduct;
    const int index = view.comboCurrent(ids::kFileBox);
    if (index < 1) {
        product.previousFile.clear();
        view.setText(ids::kFileStatusWithBox, "File Status: Select a File...");
        view.setText(ids::kProgressText, "Download Progress");
        for (const int id : {ids::kOpenDownloadedFile, ids::kDownloadFile, ids::kCancelDownload})
            view.setEnabled(id, false);
        showFileStatusVariant(product, view);
        return;
    }
    const std::string entry = view.comboText(ids::kFileBox, index).substr(0, kFileEntryMax);
    product.selectedFile = entry;
    if (entry == product.previousFile)
        return;
    product.previousFile = entry;
    for (const auto& [name, size] : product.fileList) {
        if (name == entry) {
            product.fileSizeText = fileSizeTextOf(size);
            break;
        }
    }
    view.setEnabled(ids::kDownloadFile, true);
    view.setText(ids::kProgressText, "Download Progress");
    showFileStatus(agent, view);
}

void onOpenDownloadedFileClicked(Agent& agent, ui::DialogView& view)
{
    const CurrentProduct& product = agent.currentProduct;
    const std::string& file = product.selectedFile;
    // A file name from the store names one file inside the download folder, nothing else
    // (not the record or partial file of another file of the product).
    if (download::isSafeFileName(file) && !download::isCompanionOfListedFile(file, product.fileList)) {
        const std::filesystem::path path =
            productDownloadFolder(agent.appState.downloadBase, agent.appState.vendorId) / file;
        if (isNonEmptyFile(path)) {
            agent.services.shell.open(path.string());
            return;
        }
    }
    if (!product.recordedFilePath.empty() && isNonEmptyFile(product.recordedFilePath)) {
        agent.services.shell.open(product.recordedFilePath);
        return;
    }
    agent.message(&view,
                  "There was an error locating the product download. Please re-download the "
                  "software.",
                  nullptr, ui::mb::kIconExclamation);
}

void onOrderLinkClicked(Agent& agent, ui::DialogView& view, int linkIndex)
{
    const CurrentProduct& product = agent.currentProduct;
    const bool certificate = linkIndex == 0;
    const std::string& number =
        product.orderField(certificate ? order::kCertificate : order::kSerialNumber);
    if (agent.services.clipboard.setText(number)) {
        agent.message(&view,
                      std::string(certificate ? "Your Certificate Number: "
                                              : "Your Serial Number: ") +
                          number +
                          " has been copied to your clipboard. You can paste using CTRL + V.",
                      "Copied to Clipboard", ui::mb::kIconExclamation);
    } else {
        agent.message(&view, "There was an error copying the text to the clipboard",
                      "Error Copying to Clipboard", ui::mb::kIconExclamation);
    }
    view.setFocus(ids::kFileStatus);
}

}  // namespace qk::app
