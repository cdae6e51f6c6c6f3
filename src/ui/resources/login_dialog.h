#pragma once
// The login dialog "Log in to your Varnel Acount..." (dialog 1001): control ids and table.

#include "ui/dialog_resource.h"

namespace qk::ui::resources {

inline constexpr int kLoginDialogId = 1001;

inline constexpr int kLoginEmail = 1003;
inline constexpr int kLoginPassword = 1005;
inline constexpr int kLoginButton = 1006;
inline constexpr int kLoginRequiredText = 1007;
inline constexpr int kLoginStayLoggedIn = 1008;
inline constexpr int kLoginCreateAccount = 1009;
inline constexpr int kLoginCancel = 1010;
inline constexpr int kLoginNeedAccountText = 1011;
inline constexpr int kLoginForgotPassword = 1012;
inline constexpr int kLoginEmailLabel = 1013;
inline constexpr int kLoginPasswordLabel = 1014;

// Longest email and password the edits take.
inline constexpr int kLoginFieldMax = 149;

const DialogResource& loginDialogResource();

}  // namespace qk::ui::resources
