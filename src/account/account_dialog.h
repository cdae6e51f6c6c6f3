#pragma once
// The account dialog ("Account Managment"): creates a store account when the session is
// logged out, edits the logged-in customer's account otherwise. Ends with 1 when an account
// was created or updated, else 0.

#include "account/account_context.h"
#include "account/account_form.h"
#include "ui/dialog_presenter.h"

namespace qk {

inline constexpr const char* kAccountOpenFailedText =
    "There was an error making connection to the server when opening the account management "
    "dialog. Please try again soon or \r\ncontact Varnel support if you keep getting this error.";
inline constexpr const char* kAgreeTermsText =
    "You must agree to the Varnel Terms of Service. Please select Terms of Service checkbox "
    "before proceeding.";
inline constexpr const char* kAgreeTermsCaption = "Varnel Terms of Service";
inline constexpr const char* kAccountUpdatedText = "Your account has been successfully updated!";
inline constexpr const char* kAccountUpdatedCaption = "Your account was updated...";
inline constexpr const char* kAccountCreatedText =
    "Your account has been successfully created. IMPORTANT!!! Please check your email and "
    "validate your Varnel account.\r\nWould you like to stay logged in on this computer so you "
    "do not have to login when you restart this application?";
inline constexpr const char* kAccountCreatedCaption = "Account Created...";
inline constexpr const char* kAccountUnspecifiedErrorText =
    "Unspecified error. Please try again or contact support";

class AccountDialog final : public ui::DialogPresenter {
public:
    explicit AccountDialog(AccountContext& context);

    int run();
    void onCommand(int controlId, ui::Notify code, int index) override;

    // 0 when the terms (and in update mode the account data) were loaded; -2 when the
    // account data could not be read.
    int viewAccount();

private:
    void initialise() override;
    void fillCountries();
    void showProfile(const AccountProfile& profile);
    void readForm(AccountForm& form) const;
    void submit();
    void finishCreated();
    void warn(const std::string& text, const char* caption);

    AccountContext& context_;
    AccountMode mode_ = AccountMode::Create;
};

// Shows the account dialog modally over the context's owner.
int openAccountDialog(AccountContext& context);

}  // namespace qk
