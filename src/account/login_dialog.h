#pragma once
// The login dialog: asks for the account email and password and confirms them with the
// store through the purchases request. Ends with 1 when the customer logged in, else 0.

#include "account/login_context.h"
#include "ui/dialog_presenter.h"

namespace qk {

inline constexpr const char* kInvalidAccountText =
    "You entered an invalid email address or password. Please make sure you enter a valid "
    "email address and your Varnel account password that is at least 8 characters long.";
inline constexpr const char* kInvalidAccountCaption = "Invalid Account";
inline constexpr const char* kInvalidLoginText =
    "We could not log you in with the information provided. Please check your information "
    "and try again.";
inline constexpr const char* kInvalidLoginCaption = "Invalid Login";
inline constexpr const char* kLoginErrorText =
    "There was an error trying to login. Please try again shortly. If you keep getting this "
    "error please contact support.";
inline constexpr const char* kLoginErrorCaption = "Login Error";

class LoginDialog : public ui::DialogPresenter {
public:
    explicit LoginDialog(LoginContext& context);

    // Builds the dialog over the context's owner and runs it modally.
    int run();

    void onCommand(int controlId, ui::Notify code, int index) override;

private:
    void initialise() override;
    void attemptLogin();
    void cancel();

    LoginContext& context_;
};

// Shows the login dialog modally; 1 when the customer logged in, 0 otherwise.
int runLoginDialog(LoginContext& context);

}  // namespace qk
