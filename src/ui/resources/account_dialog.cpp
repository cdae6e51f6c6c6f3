#include "ui/resources/account_dialog.h"

namespace qk::ui::resources {

namespace {

ControlState edit(int maxLength, const char* hint)
{
    return {.maxLength = maxLength, .hint = hint};
}

// The form on the left, the store's terms beside it; the current-password row is shown
// in update mode only.
DialogResource buildAccountDialog()
{
    using K = ControlKind;
    DialogResource r;
    r.id = kAccountDialogId;
    r.width = 430;
    r.height = 262;
    r.fontFamily = "Arial";
    r.fontPoints = 10;
    r.caption = "Account Managment";
    r.controls = {
        control(kAccountHeading, K::StaticLeft, kCreateAccountHeading, 7, 7, 206, 13),
        control(kAccountEmailLabel, K::StaticLeft, "Account Email (used for account login)", 7, 25,
                206, 9),
        control(kAccountEmail, K::Edit, "", 7, 36, 206, 13, edit(kAccountEmailMax, "Email")),
        control(kAccountRepeatEmail, K::Edit, "", 7, 52, 206, 13,
                edit(kAccountEmailMax, "Repeat Email")),
        control(kAccountBillingLabel, K::StaticLeft, "Billing Information (used during purchasing)",
                7, 71, 206, 9, {.heading = true}),
        control(kAccountFirstName, K::Edit, "", 7, 82, 100, 13, edit(kAccountNameMax, "First Name")),
        control(kAccountLastName, K::Edit, "", 113, 82, 100, 13, edit(kAccountNameMax, "Last Name")),
        control(kAccountStreet, K::Edit, "", 7, 98, 206, 13,
                edit(kAccountStreetMax, "Main Billing Street Address")),
        control(kAccountCity, K::Edit, "", 7, 114, 100, 13, edit(kAccountCityMax, "City")),
        control(kAccountStateProvince, K::Edit, "", 113, 114, 100, 13,
                edit(kAccountCityMax, "State/Provice (none)")),
        control(kAccountZipCode, K::Edit, "", 7, 130, 70, 13, edit(kAccountZipCodeMax, "Billing Zip Code")),
        control(kAccountCountry, K::DropDownList, "", 83, 130, 130, 150, {.name = "Country"}),
        control(kAccountUserNameLabel, K::StaticLeft, "User Name (visible if using public areas)", 7,
                149, 206, 9),
        control(kAccountUserName, K::Edit, "", 7, 160, 206, 13, edit(kAccountUserNameMax, "User Name")),
        control(kAccountPasswordLabel, K::StaticLeft, kCreatePasswordLabel, 7, 179, 206, 9),
        control(kAccountPassword, K::PasswordEdit, "", 7, 190, 100, 13,
                edit(kAccountPasswordMax, "Password")),
        control(kAccountRepeatPassword, K::PasswordEdit, "", 113, 190, 100, 13,
                edit(kAccountPasswordMax, "Repeat Password")),
        control(kAccountCurrentPasswordLabel, K::StaticLeft, "Current Password (required)", 7, 209,
                206, 9, {.visible = false}),
        control(kAccountCurrentPassword, K::PasswordEdit, "", 7, 220, 100, 13,
                {.visible = false, .maxLength = kAccountPasswordMax, .hint = "Current Password"}),
        control(kAccountTerms, K::MultiLineReadOnly, "", 223, 7, 200, 206),
        control(kAccountAgreeTerms, K::CheckBox, "I AGREE to the Varnel Terms of Service.", 223, 220,
                200, 10),
        control(kAccountSubmit, K::DefaultPushButton, kCreateAccountButton, 287, 241, 70, 14),
        control(kAccountCancel, K::PushButton, "Cancel", 363, 241, 60, 14),
    };
    return r;
}

DialogResource buildVerificationDialog()
{
    using K = ControlKind;
    DialogResource r;
    r.id = kVerificationDialogId;
    r.width = 300;
    r.height = 106;
    r.fontFamily = "Arial";
    r.fontPoints = 10;
    r.caption = "Account Verification";
    r.controls = {
        control(kVerificationExplanation, K::StaticLeft,
                "A verified account lets you purchase products and reinstall the products you own. "
                "We sent you an email with a verification link: please open it to verify your "
                "account. If the email does not arrive, please allow mail from Varnel's no-reply "
                "sender through your spam filter.",
                7, 7, 286, 36),
        control(kVerificationResendPrompt, K::StaticLeft,
                "Select this button if you never received the verification email:", 7, 48, 286, 9),
        control(kVerificationResend, K::PushButton, "Resend Verification Email", 7, 59, 110, 14),
        control(kVerificationDone, K::DefaultPushButton, "Yes, I Verified my Account", 7, 85, 138, 14),
        control(kVerificationFailed, K::PushButton, "I Could Not Verify my Account", 155, 85, 138, 14),
    };
    return r;
}

}  // namespace

const DialogResource& accountDialogResource()
{
    static const DialogResource resource = buildAccountDialog();
    return resource;
}

const DialogResource& verificationDialogResource()
{
    static const DialogResource resource = buildVerificationDialog();
    return resource;
}

}  // namespace qk::ui::resources
