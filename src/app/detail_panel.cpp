#include "app/detail_panel.h"

#include "app/agent.h"
#include "app/cart_access.h"
#include "app/panel_mode.h"
#include "app/download_access.h"
#include "app/store_pictures.h"
#include "commerce/money.h"
#include "platform/byte_size_text.h"
#include "platform/text_encoding.h"
#include "store/order_record.h"
#include "store/reply.h"
#include "ui/resources/main_window.h"

namespace qk::app {

namespace ids = ui::resources;

namespace {

constexpr std::size_t kRowTextMax = 255;
constexpr std::size_t kOrderRecordBuffer = 200;
constexpr const char* kSelectFilePrompt = "Select File...";

// Takes the owned product's order into the panel: the order fields, the single file or
// the file box, and the order link.
void fillOwnedFiles(CurrentProduct& product, ui::DialogView& view)
{
    const std::string& files = product.orderField(order::kFiles);
    if (files.find('/') == std::string::npos) {
        product.fileSizeText = fileSizeTextOf(product.orderField(order::kFileSize));
        view.setEnabled(ids::kDownloadFile, true);
        return;
    }

    product.multiFile = true;
    product.fileSizeText.clear();
    view.comboClear(ids::kFileBox);
    view.comboAdd(ids::kFileBox, kSelectFilePrompt);
    view.setEnabled(ids::kDownloadFile, false);
    for (auto& [name, size] : readOrderFileList(files)) {
        view.comboAdd(ids::kFileBox, name);
        product.fileList.emplace_back(std::move(name), std::move(size));
    }
    view.comboSetCurrent(ids::kFileBox, 0);
    showFileStatusVariant(product, view);
    view.setVisible(ids::kFileBox, true);
}

void showOwnedProduct(Agent& agent, ui::DialogView& view, const std::string& orderRecord)
{
    CurrentProduct& product = agent.currentProduct;
    product.owned = true;
    readOrderRecord(orderRecord, product.orderFields);
    product.productId = product.orderField(order::kProductId);
    product.productName = product.orderField(order::kProductName);
    product.selectedFile = product.orderField(order::kFiles);
    product.priceText = product.orderField(order::kPrice);

    fillOwnedFiles(product, view);

    setProductPanelMode(view, true);
    view.setEnabled(ids::kCheckout, cartCount(agent) != 0);
    view.setText(ids::kFileStatusWithBox, "File Status: Select a File...");
    showFileStatusVariant(product, view);
    product.recordedFilePath.clear();
    if (!product.multiFile)
        showFileStatus(agent, view);
}

void takeBundleOffer(Agent& agent, ui::DialogView& view)
{
    CurrentProduct& product = agent.currentProduct;
    if (product.bundleInfo.empty() || startsWith(product.productId, "bndl-"))
        return;
    const ProductOffer offer = readOffer(product.bundleInfo);
    const std::string& bundleId = offer.target;

    ProductPrice bundle;
    if (bundleId.empty() || offer.percent <= 5 ||
        findProductPrice(agent.catalog, bundleId, offer.percent, bundle) < 0)
        return;

    view.setText(ids::kBundlePricing,
                 "Add " + bundle.name + " to your cart for " + offer.percentText + "% savings!");
    view.setVisible(ids::kBundlePricing, true);
    product.bundleOffer.productId = bundleId;
    product.bundleOffer.name = bundle.name;
    product.bundleOffer.discountedPrice = bundle.discountedPrice;
    for (const ListedProduct& listed : agent.appState.products) {
        if (listed.record().productId() == bundleId) {
            product.bundleOffer.cartTag = listed.record().cartCode();
            break;
        }
    }
}

void showProductForSale(Agent& agent, ui::DialogView& view, const ListedProduct& listed)
{
    const ProductRecord& record = listed.record();
    setProductPanelMode(view, false);
    if (agent.session.hasLogin) {
        view.setEnabled(ids::kBundlePricing, true);
    } else {
        for (const int id : {ids::kApplyCoupon, ids::kAddToCart, ids::kCheckout, ids::kBundlePricing})
            view.setEnabled(id, false);
    }
    view.setEnabled(ids::kCheckout, cartCount(agent) != 0);
    view.setText(ids::kFileStatus, "File Status: Not downloaded");

    CurrentProduct& product = agent.currentProduct;
    showFileStatusVariant(product, view);
    product.productId = record.productId();
    product.productName = record.name();
    product.priceText = listed.price();
    product.salePriceText = record.salePrice();
    product.bundleInfo = record.offer();
    product.cartTag = record.cartCode();
    product.couponPriced = listed.coupon != nullptr;
    product.onSale = !product.couponPriced && !product.salePriceText.empty() &&
                     readMoney(product.salePriceText) < readMoney(product.priceText);
    takeBundleOffer(agent, view);
}

void showCartCaption(Agent& agent, ui::DialogView& view, const ListedProduct& listed)
{
    CurrentProduct& product = agent.currentProduct;
    std::string caption;
    if (cartLookup(agent, product.productId) < 1) {
        caption = "Add to Cart ($";
    } else {
        caption = "Remove ($";
        product.inCart = true;
    }
    if (product.onSale) {
        caption += product.salePriceText;
        view.setText(ids::kPriceNote, "This product is on sale! Now: $" + product.salePriceText +
                                          " (was $" + product.priceText + ").");
    } else {
        caption += listed.price();
        view.setText(ids::kPriceNote, "");
    }
    caption += ")";
    if (product.priceText == "legacy")
        caption = "Add to Cart";
    view.setText(ids::kAddToCart, caption);
}

void showPicture(Agent& agent, ui::DialogView& view, const ProductRecord& record)
{
    const std::string path = productPicturePath(agent.appState.vendorId, record.productId(),
                                                agent.currentProduct.priceText == "legacy");
    // A picture that cannot be fetched or decoded leaves the frame empty.
    view.setPicture(ids::kPictureFrame, 0, 0,
                    agent.libraryKeeper.productPicture(agent.deployment, record.productId(), path,
                                                       agent.currentProduct.owned));
}

}  // namespace

std::string fileSizeTextOf(std::string_view byteCount)
{
    const auto bytes = platform::parseByteCount(byteCount);
    return bytes ? platform::formatByteSize(*bytes) : std::string();
}

void showFileStatusVariant(const CurrentProduct& product, ui::DialogView& view)
{
    view.setVisible(ids::kFileStatus, !product.multiFile);
    view.setVisible(ids::kFileStatusWithBox, product.multiFile);
}

std::string orderLinkText(const CurrentProduct& product)
{
    if (!product.owned)
        return {};
    std::string text = "Order Number: " + product.orderField(order::kOrderNumber) +
                       "\r\nCertificate: <a>" + product.orderField(order::kCertificate) + "</a>";
    const std::string& serial = product.orderField(order::kSerialNumber);
    if (!serial.empty())
        text += "\r\nSerial Number: <a>" + serial + "</a>";
    return text;
}

namespace {

void showProductOfSelectedRow(Agent& agent, ui::DialogView& view)
{
    AppState& state = agent.appState;
    const int row = view.listFirstSelected(ids::kProductList);
    if (row < 0)
        return;
    std::string name = view.listCell(ids::kProductList, row, 0).substr(0, kRowTextMax);

    if (state.selectedProduct < 0) {
        state.shownRow = 0;
    } else {
        if (row == state.shownRow)
            return;
        state.shownRow = row;
    }

    CurrentProduct& product = agent.currentProduct;
    product.clear();
    if (startsWith(name, "* "))
        name.erase(0, 2);

    view.setVisible(ids::kBundlePricing, false);
    view.setChecked(ids::kBundlePricing, false);
    // What the progress row says belongs to the last download, not to this product.
    if (!agent.downloadDisplay.active) {
        view.setText(ids::kProgressText, "Download Progress");
        view.progressSetValue(ids::kDownloadProgress, 0);
    }

    int index = -1;
    for (std::size_t i = 0; i < state.products.size(); ++i) {
        if (state.products[i].record().name() == name) {
            index = static_cast<int>(i);
            break;
        }
    }
    if (index < 0)
        return;
    state.selectedProduct = index;
    const ListedProduct& listed = state.products[static_cast<std::size_t>(index)];
    const ProductRecord& record = listed.record();

    enableProductDetails(view);
    view.setText(ids::kProductTitle, name);
    // Controls take Windows-1252 text; the folder path is the file system's UTF-8.
    view.setText(ids::kFolderPath, platform::utf8ToCp1252(state.downloadBase));
    view.setVisible(ids::kFileBox, false);

    std::string orderRecord;
    if (findOrder(agent.purchases, agent.cart.giftMode, record.productId(), &orderRecord,
                  kOrderRecordBuffer) == 1)
        showOwnedProduct(agent, view, orderRecord);
    else
        showProductForSale(agent, view, listed);

    view.setText(ids::kOrderLink, orderLinkText(product));
    showCartCaption(agent, view, listed);
    view.setText(ids::kProductInformation, std::string(record.information()));
    product.supportUrl = record.supportLink();
    product.longDescription = record.description();
    view.setVisible(ids::kReadMore, !product.longDescription.empty());
    showPicture(agent, view, record);
}

// Whatever the panel shows while a download runs (a category changed under it), that
// download can still be cancelled and no second one started.
void keepRunningDownloadControls(const Agent& agent, ui::DialogView& view)
{
    if (!agent.downloadDisplay.active)
        return;
    view.setEnabled(ids::kCancelDownload, true);
    view.setEnabled(ids::kDownloadFile, false);
    view.setEnabled(ids::kOpenDownloadedFile, false);
    view.setEnabled(ids::kFileBox, false);
}

}  // namespace

void showSelectedProduct(Agent& agent, ui::DialogView& view)
{
    showProductOfSelectedRow(agent, view);
    keepRunningDownloadControls(agent, view);
}

}  // namespace qk::app
