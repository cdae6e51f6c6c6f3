#pragma once
// Every dialog table of the agent, for tests that check all of them alike.

#include "ui/resources/account_dialog.h"
#include "ui/resources/cart_dialog.h"
#include "ui/resources/checkout_dialog.h"
#include "ui/resources/coupon_dialog.h"
#include "ui/resources/login_dialog.h"
#include "ui/resources/main_window.h"
#include "ui/resources/notification_dialog.h"

namespace qk::test {

inline const ui::DialogResource* const kAllDialogs[] = {
    &ui::resources::mainWindowResource(),         &ui::resources::loginDialogResource(),
    &ui::resources::accountDialogResource(),      &ui::resources::verificationDialogResource(),
    &ui::resources::cartDialogResource(),         &ui::resources::couponDialogResource(),
    &ui::resources::checkoutDialogResource(),     &ui::resources::notificationDialogResource(),
};

}  // namespace qk::test
