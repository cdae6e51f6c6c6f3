#include "account/login_dialog.h"

#include <string>

#include "store/session.h"
#include "platform/deployment.h"
#include "platform/ports.h"
#include "store/credentials.h"
#include "store/purchases.h"
#include "store/store_request.h"
#include "ui/resources/login_dialog.h"

namespace qk {

namespace res = ui::resources;

LoginDialog::LoginDialog(LoginContext& context) : context_(context) {}

int LoginDialog::run()
{
    return runModal(context_.dialogs, res::loginDialogResource(), context_.owner);
}

void LoginDialog::initialise()
{
    view_->centreOver(context_.owner);
    view_->setText(res::kLoginEmail, context_.session.email);
    view_->setText(res::kLoginPassword, context_.session.password);
    view_->setChecked(res::kLoginStayLoggedIn, true);
    view_->setFocus(res::kLoginEmail);
}

void LoginDialog::onCommand(int controlId, ui::Notify code, int /*index*/)
{
    if (view_ == nullptr)
        return;
    if ((controlId == res::kLoginButton && code == ui::Notify::Clicked) ||
        (controlId == res::kLoginPassword && code == ui::Notify::EnterPressed)) {
        attemptLogin();
    } else if ((controlId == res::kLoginCancel || controlId == ui::kCancelCommand) &&
               code == ui::Notify::Clicked) {
        cancel();
    } else if (controlId == res::kLoginForgotPassword && code == ui::Notify::LinkClicked) {
        context_.shell.open(context_.deployment.storePageUrl(script::kLostPassword));
    } else if (controlId == res::kLoginCreateAccount && code == ui::Notify::LinkClicked) {
        if (context_.openAccountDialog && context_.openAccountDialog() == 1)
            view_->endDialog(0);
    }
}

void LoginDialog::attemptLogin()
{
    const std::string email = view_->text(res::kLoginEmail).substr(0, res::kLoginFieldMax);
    const std::string password = view_->text(res::kLoginPassword).substr(0, res::kLoginFieldMax);
    if (email.size() < kMinEmailLength || password.size() < kMinPasswordLength) {
        context_.messageBox(nullptr, view_, kInvalidAccountText, kInvalidAccountCaption, ui::mb::kOk);
        return;
    }
    Session& session = context_.session;
    session.email = email;
    session.password = password;
    const int rc = fetchPurchases(context_.deployment, session, context_.purchases, context_.settings);
    if (rc == -3 || rc == -2) {
        context_.messageBox(nullptr, view_, kInvalidLoginText, kInvalidLoginCaption,
                            ui::mb::kOk | ui::mb::kIconExclamation);
        return;
    }
    // A store that is not set up has confirmed nothing: that is a failed attempt too.
    if (rc < -3 || rc == -1) {
        context_.messageBox(nullptr, view_, kLoginErrorText, kLoginErrorCaption,
                            ui::mb::kOk | ui::mb::kIconExclamation);
        return;
    }
    session.hasLogin = true;
    if (view_->isChecked(res::kLoginStayLoggedIn))
        saveCredentials(context_.settings, session);
    view_->endDialog(1);
}

void LoginDialog::cancel()
{
    view_->setText(res::kLoginEmail, "");
    view_->setText(res::kLoginPassword, "");
    view_->endDialog(0);
}

int runLoginDialog(LoginContext& context)
{
    LoginDialog dialog(context);
    return dialog.run();
}

}  // namespace qk
