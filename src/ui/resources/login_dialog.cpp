#include "ui/resources/login_dialog.h"

namespace qk::ui::resources {

namespace {

DialogResource buildLoginDialog()
{
    using K = ControlKind;
    DialogResource r;
    r.id = kLoginDialogId;
    r.width = 220;
    r.height = 152;
    r.fontFamily = "Arial";
    r.fontPoints = 10;
    r.caption = "Log in to your Varnel Acount...";
    // Login is not the default button: Enter in the password edit presses it, Enter
    // elsewhere does nothing, so a half-typed email is never sent.
    r.controls = {
        control(kLoginRequiredText, K::StaticLeft,
                "An account is required in order to purchase or retrieve your orders.", 10, 8,
                200, 18),
        control(kLoginNeedAccountText, K::StaticLeft,
                "Need an account? Use the link at the bottom of this screen.", 10, 28, 200, 9),
        control(kLoginEmailLabel, K::StaticLeft, "Varnel Account Email Address", 10, 44, 200, 9),
        control(kLoginEmail, K::Edit, "", 10, 54, 200, 13, {.maxLength = kLoginFieldMax}),
        control(kLoginPasswordLabel, K::StaticLeft, "Password", 10, 72, 200, 9),
        control(kLoginPassword, K::PasswordEdit, "", 10, 82, 200, 13,
                {.maxLength = kLoginFieldMax, .takesEnter = true}),
        control(kLoginStayLoggedIn, K::CheckBox, "Stay logged in on this computer", 10, 100,
                200, 10),
        control(kLoginCancel, K::PushButton, "Cancel", 104, 116, 50, 14),
        control(kLoginButton, K::PushButton, "Login", 160, 116, 50, 14),
        control(kLoginForgotPassword, K::Link, "<a>Forgot your Password?</a>", 10, 138, 90, 9),
        control(kLoginCreateAccount, K::Link, "<a>Create a New Varnel Account</a>", 100, 138,
                110, 9),
    };
    return r;
}

}  // namespace

const DialogResource& loginDialogResource()
{
    static const DialogResource resource = buildLoginDialog();
    return resource;
}

}  // namespace qk::ui::resources
