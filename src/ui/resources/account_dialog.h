#pragma once
// The account dialog (dialog 1084, create and update) and the verification dialog shown
// after an account was created: their control ids and resource tables.

#include "ui/dialog_resource.h"

namespace qk::ui::resources {

inline constexpr int kAccountDialogId = 1084;

inline constexpr int kAccountHeading = 1095;
inline constexpr int kAccountEmailLabel = 1098;
inline constexpr int kAccountEmail = 1086;
inline constexpr int kAccountRepeatEmail = 1087;
inline constexpr int kAccountBillingLabel = 1097;
inline constexpr int kAccountFirstName = 1088;
inline constexpr int kAccountLastName = 1089;
inline constexpr int kAccountStreet = 1090;
inline constexpr int kAccountCity = 1091;
inline constexpr int kAccountStateProvince = 1092;
inline constexpr int kAccountZipCode = 1093;
inline constexpr int kAccountCountry = 1085;
inline constexpr int kAccountUserNameLabel = 1096;
inline constexpr int kAccountUserName = 1094;
inline constexpr int kAccountPasswordLabel = 1101;
inline constexpr int kAccountPassword = 1099;
inline constexpr int kAccountRepeatPassword = 1100;
inline constexpr int kAccountCurrentPasswordLabel = 1103;
inline constexpr int kAccountCurrentPassword = 1102;
inline constexpr int kAccountAgreeTerms = 1104;
inline constexpr int kAccountSubmit = 1105;
inline constexpr int kAccountCancel = 1106;
inline constexpr int kAccountTerms = 1107;

// Character limits of the edits.
inline constexpr int kAccountEmailMax = 150;
inline constexpr int kAccountNameMax = 150;
inline constexpr int kAccountStreetMax = 255;
inline constexpr int kAccountCityMax = 100;
inline constexpr int kAccountZipCodeMax = 20;
inline constexpr int kAccountUserNameMax = 24;
inline constexpr int kAccountPasswordMax = 20;

inline constexpr const char* kCreateAccountHeading = "Create a New Varnel Account...";
inline constexpr const char* kEditAccountHeading = "Edit your Varnel Account...";
inline constexpr const char* kCreatePasswordLabel = "Password (% or & excluded)";
inline constexpr const char* kUpdatePasswordLabel = "Optional New Password (do not use % or &)";
inline constexpr const char* kCreateAccountButton = "Create Account";
inline constexpr const char* kUpdateAccountButton = "Update Account";

const DialogResource& accountDialogResource();

inline constexpr int kVerificationDialogId = 1108;

inline constexpr int kVerificationExplanation = 1109;
inline constexpr int kVerificationResendPrompt = 1110;
inline constexpr int kVerificationResend = 1113;
inline constexpr int kVerificationDone = 1111;
inline constexpr int kVerificationFailed = 1112;

const DialogResource& verificationDialogResource();

}  // namespace qk::ui::resources
