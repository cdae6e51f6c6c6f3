#pragma once
// The notification dialog (dialog 117): its control ids and its resource table.

#include "ui/dialog_resource.h"

namespace qk::ui::resources {

inline constexpr int kNotificationDialogId = 117;

inline constexpr int kNotificationText = 1148;
inline constexpr int kHideNotification = 1147;
inline constexpr int kNotificationContinue = 1149;

const DialogResource& notificationDialogResource();

}  // namespace qk::ui::resources
