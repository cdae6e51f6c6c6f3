#include "ui/resources/coupon_dialog.h"

namespace qk::ui::resources {

namespace {

DialogResource buildCouponDialog()
{
    using K = ControlKind;
    DialogResource r;
    r.id = kCouponDialogId;
    r.width = 328;
    r.height = 97;
    r.fontFamily = "Arial";
    r.fontPoints = 10;
    r.caption = "Enter a Coupon";
    r.controls = {
        control(kCouponPrompt, K::StaticLeft, "", 7, 7, 314, 27),
        control(kCouponCode, K::Edit, "", 7, 46, 130, 13, {.maxLength = kCouponCodeMax, .name = "Coupon Code", .takesEnter = true}),
        control(kCouponEcho, K::StaticCenterFramed, "", 144, 37, 177, 31),
        control(kCouponSubmit, K::DefaultPushButton, "Submit", 191, 76, 62, 14),
        control(kCouponCancel, K::PushButton, "Cancel", 259, 76, 62, 14),
    };
    return r;
}

}  // namespace

const DialogResource& couponDialogResource()
{
    static const DialogResource resource = buildCouponDialog();
    return resource;
}

}  // namespace qk::ui::resources
