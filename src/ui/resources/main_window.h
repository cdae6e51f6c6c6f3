#pragma once
// The main window (dialog 1114): its control ids and its resource table.

#include "ui/dialog_resource.h"

namespace qk::ui::resources {

inline constexpr int kMainWindowId = 1114;

// Account row
inline constexpr int kLogin = 1115;
inline constexpr int kLogout = 1116;
inline constexpr int kEditAccount = 1139;
inline constexpr int kStatusText = 1117;

// Product list
inline constexpr int kPriceNote = 1150;
inline constexpr int kCategoryBox = 1151;
inline constexpr int kPurchasedNote = 1140;
inline constexpr int kProductList = 1118;

// Detail panel: buying group
inline constexpr int kProductTitle = 1135;
inline constexpr int kPictureFrame = 1119;
inline constexpr int kProductInformation = 1120;
inline constexpr int kReadMore = 1144;
inline constexpr int kApplyCoupon = 1138;
inline constexpr int kAddToCart = 1136;
inline constexpr int kCheckout = 1137;
inline constexpr int kBundlePricing = 1142;

// Detail panel: owned-product group
inline constexpr int kOwnedGroup = 1121;
inline constexpr int kManageCaption = 1110;
inline constexpr int kOrderLink = 1141;
inline constexpr int kFileBox = 1153;
inline constexpr int kFileStatus = 1124;
inline constexpr int kFileStatusWithBox = 1154;
inline constexpr int kDownloadProgress = 1122;
inline constexpr int kProgressText = 1123;
inline constexpr int kDownloadFile = 1125;
inline constexpr int kCancelDownload = 1126;
inline constexpr int kOpenDownloadedFile = 1131;
inline constexpr int kFolderCaption = 1129;
inline constexpr int kFolderPath = 1127;
inline constexpr int kOpenFileFolder = 1130;
inline constexpr int kSelectFolder = 1128;
// Shown in the "Updates Available" view only.
inline constexpr int kUpdateAll = 1160;
// Shown in the "My Library" view only.
inline constexpr int kDownloadAll = 1162;

// Bottom row
inline constexpr int kProductSupport = 1152;
inline constexpr int kExit = 1132;

// Timer that drives the download progress display.
inline constexpr int kProgressTimer = 1143;
// Starts the next file of Update All once the one before has ended.
inline constexpr int kUpdateQueueTimer = 1161;
// The agent's icon.
inline constexpr int kAgentIcon = 115;
// Where the vendor logo is drawn in the client area (pixels).
inline constexpr int kLogoX = 10;
inline constexpr int kLogoY = 4;

const DialogResource& mainWindowResource();

}  // namespace qk::ui::resources
