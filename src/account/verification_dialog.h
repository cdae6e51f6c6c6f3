#pragma once
// The verification dialog shown after an account was created: the customer says whether
// the link of the store's mail was used, or asks for the mail again. Ends with 1 when the
// store reports the account verified, else 0.

#include "account/account_context.h"
#include "ui/dialog_presenter.h"

namespace qk {

inline constexpr const char* kAccountVerifiedCaption = "Account Verified";
inline constexpr const char* kAccountNotVerifiedCaption = "Account Not Verified";
inline constexpr const char* kThanksForVerifyingText = "Thank you for verifying your account!";
inline constexpr const char* kStillNotVerifiedText =
    "Your account still has not been verified. Please check your email and click the "
    "verification link.";
inline constexpr const char* kActuallyVerifiedText =
    "Your account is actually verified! No further action is necessary. Thank you for "
    "verifying your account!";
inline constexpr const char* kVerificationTroubleText =
    "If you have continued trouble verifying your account, and have tried the \"Resend "
    "Verification Email\" button, please contact Varnel support.";
inline constexpr const char* kResendFailedText =
    "There was an error resending your account verification. Please try again shortly or "
    "contact support.";
inline constexpr const char* kResendSentText =
    "We sent you your validation link. Please check your email and click the link to verify "
    "your account.\r\nIf you successfully verified your account you can click the \"Yes, I "
    "Verified my Account button\" to contiue.";
inline constexpr const char* kResendSentCaption = "Email Sent!";
inline constexpr const char* kResendRefusedText =
    "There was an error resending your verification email. Please try again shortly or "
    "contact support.";

class VerificationDialog final : public ui::DialogPresenter {
public:
    explicit VerificationDialog(AccountContext& context);

    int run();
    void onCommand(int controlId, ui::Notify code, int index) override;

private:
    void initialise() override;
    bool storeSaysVerified();
    void confirmVerified();
    void reportNotVerified();
    void resendMail();
    void tell(const char* text, const char* caption);

    AccountContext& context_;
};

// Shows the verification dialog modally; 1 when the account was found verified.
int showVerificationDialog(AccountContext& context);

}  // namespace qk
