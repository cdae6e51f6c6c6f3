#include "ui/resources/main_window.h"

namespace qk::ui::resources {

namespace {

DialogResource buildMainWindow()
{
    using K = ControlKind;
    DialogResource r;
    r.id = kMainWindowId;
    r.width = 594;
    r.height = 342;
    r.fontFamily = "Arial";
    r.fontPoints = 10;
    r.caption = " ";  // replaced with the vendor's title at start-up
    r.minimizeBox = true;
    r.controls = {
        control(kLogin, K::PushButton, "Login", 428, 17, 50, 14),
        control(kLogout, K::PushButton, "Logout", 483, 17, 50, 14, {.enabled = false}),
        control(kEditAccount, K::PushButton, "Edit Account", 537, 17, 50, 14, {.enabled = false}),
        control(kStatusText, K::StaticRight,
                "Please select the Login button login or to create an account.", 343, 4, 244, 8),
        control(kPriceNote, K::StaticLeft, "", 209, 19, 210, 13),
        control(kCategoryBox, K::DropDownList, "", 213, 37, 114, 30, {.name = "Category"}),
        control(kPurchasedNote, K::StaticLeft, "* Purchased Products (shown at top of list)", 6, 41,
                186, 8, {.heading = true}),
        control(kProductList, K::ListViewReport, "", 6, 50, 321, 286, {.name = "Products"}),
        control(kProductTitle, K::StaticLeft, "Product Title", 339, 39, 242, 8),
        control(kPictureFrame, K::PictureFrame, "", 339, 50, 91, 50),
        control(kProductInformation, K::StaticLeft, "Product Information", 433, 49, 153, 51),
        control(kReadMore, K::Link, "<a>Read More...</a>", 542, 92, 45, 8, {.visible = false}),
        control(kApplyCoupon, K::PushButton, "Apply Coupon", 338, 102, 61, 14),
        control(kAddToCart, K::PushButton, "Add to Cart", 429, 102, 78, 14),
        control(kCheckout, K::PushButton, "Checkout (0) Items", 509, 102, 78, 14, {.enabled = false}),
        control(kBundlePricing, K::CheckBoxMultiLine, "Bundle Pricing", 339, 116, 248, 16),
        control(kOwnedGroup, K::GroupBox, "", 338, 136, 249, 182),
        control(kManageCaption, K::StaticLeft, "Manage My Product", 346, 136, 68, 8),
        control(kOrderLink, K::Link, "", 349, 147, 231, 32),
        control(kFileBox, K::DropDownList, "", 349, 176, 228, 30, {.name = "File"}),
        control(kFileStatus, K::StaticLeft, "File Status:", 349, 181, 236, 35),
        control(kFileStatusWithBox, K::StaticLeft, "File Status:", 349, 189, 236, 25, {.visible = false}),
        control(kDownloadProgress, K::ProgressBar, "", 349, 216, 228, 10),
        control(kProgressText, K::StaticLeft, "Download Progress", 349, 226, 224, 8),
        control(kDownloadFile, K::PushButton, "Download File", 348, 238, 56, 14),
        control(kCancelDownload, K::PushButton, "Cancel", 406, 238, 56, 14),
        control(kOpenDownloadedFile, K::PushButton, "Open Downloaded File", 489, 238, 88, 14),
        control(kFolderCaption, K::StaticLeft,
                "The main download folder will be located in the following folder:", 348, 259,
                207, 8),
        control(kFolderPath, K::StaticSunken, "", 348, 268, 229, 10),
        control(kOpenFileFolder, K::PushButton, "Open File Folder", 461, 279, 63, 14),
        control(kSelectFolder, K::PushButton, "Select", 527, 279, 50, 14),
        control(kUpdateAll, K::PushButton, "Update All", 461, 298, 116, 14, {.visible = false}),
        control(kDownloadAll, K::PushButton, "Download All", 348, 298, 109, 14, {.visible = false}),
        control(kProductSupport, K::PushButton, "Product Support", 338, 322, 71, 14),
        control(kExit, K::PushButton, "Exit", 537, 322, 50, 14),
    };
    return r;
}

}  // namespace

const DialogResource& mainWindowResource()
{
    static const DialogResource resource = buildMainWindow();
    return resource;
}

}  // namespace qk::ui::resources
