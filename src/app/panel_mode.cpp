#include "app/panel_mode.h"

#include "ui/resources/main_window.h"

namespace qk::app {

namespace ids = ui::resources;

void setProductPanelMode(ui::DialogView& view, bool owned)
{
    for (const int id : {ids::kApplyCoupon, ids::kAddToCart, ids::kCheckout})
        view.setEnabled(id, !owned);
    for (const int id : {ids::kManageCaption, ids::kOrderLink, ids::kFileStatus,
                         ids::kFolderCaption, ids::kFolderPath, ids::kOpenFileFolder,
                         ids::kSelectFolder, ids::kProgressText})
        view.setEnabled(id, owned);
    if (!owned)
        view.setEnabled(ids::kDownloadFile, false);
    view.setEnabled(ids::kCancelDownload, false);
    view.setEnabled(ids::kOpenDownloadedFile, false);
}

void setNoProductPanel(ui::DialogView& view)
{
    setProductPanelMode(view, false);
    for (const int id : {ids::kApplyCoupon, ids::kAddToCart, ids::kCheckout, ids::kReadMore,
                         ids::kProductSupport, ids::kProductTitle, ids::kProductInformation})
        view.setEnabled(id, false);
    view.setVisible(ids::kBundlePricing, false);
}

void enableProductDetails(ui::DialogView& view)
{
    for (const int id : {ids::kReadMore, ids::kProductSupport, ids::kProductTitle,
                         ids::kProductInformation})
        view.setEnabled(id, true);
}

}  // namespace qk::app
