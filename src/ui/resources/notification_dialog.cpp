#include "ui/resources/notification_dialog.h"

namespace qk::ui::resources {

namespace {

DialogResource buildNotificationDialog()
{
    using K = ControlKind;
    DialogResource r;
    r.id = kNotificationDialogId;
    r.width = 325;
    r.height = 260;
    r.fontFamily = "Arial";
    r.fontPoints = 10;
    r.caption = "Notifications";
    r.controls = {
        control(kNotificationText, K::MultiLineReadOnly, "", 0, 0, 325, 238),
        control(kHideNotification, K::CheckBox, "Hide This Message", 4, 245, 112, 10),
        control(kNotificationContinue, K::DefaultPushButton, "Continue...", 126, 241, 74, 16),
    };
    return r;
}

}  // namespace

const DialogResource& notificationDialogResource()
{
    static const DialogResource resource = buildNotificationDialog();
    return resource;
}

}  // namespace qk::ui::resources
