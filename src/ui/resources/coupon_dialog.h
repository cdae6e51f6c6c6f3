#pragma once
// The coupon entry dialog (dialog 113): its control ids and its resource table.

#include "ui/dialog_resource.h"

namespace qk::ui::resources {

inline constexpr int kCouponDialogId = 113;

inline constexpr int kCouponPrompt = 1113;
inline constexpr int kCouponCode = 1112;
inline constexpr int kCouponEcho = 1116;
inline constexpr int kCouponSubmit = 1114;
inline constexpr int kCouponCancel = 1115;

inline constexpr int kCouponCodeMax = 24;

const DialogResource& couponDialogResource();

}  // namespace qk::ui::resources
