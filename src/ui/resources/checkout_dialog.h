#pragma once
// The checkout dialog "Varnel Secure Purchasing" (dialog 1013): its control ids and its
// resource table.

#include "ui/dialog_resource.h"

namespace qk::ui::resources {

inline constexpr int kCheckoutDialogId = 1013;

// Card payment
inline constexpr int kCardNumber = 1014;
inline constexpr int kExpiryMonth = 1015;
inline constexpr int kExpiryYear = 1016;
inline constexpr int kCardCode = 1017;
inline constexpr int kNameOnCard = 1046;
inline constexpr int kPurchaseWithCard = 1018;
inline constexpr int kCardNumberLabel = 1023;
inline constexpr int kExpiryMonthLabel = 1024;
inline constexpr int kExpiryYearLabel = 1025;
inline constexpr int kCardCodeLabel = 1026;
inline constexpr int kCardCodeNote = 1027;
inline constexpr int kNameOnCardLabel = 1047;
inline constexpr int kCardsAccepted = 1045;
inline constexpr int kCardGroup = 1021;

// Payment choice
inline constexpr int kUseCard = 1028;
inline constexpr int kUsePaypal = 1029;

// PayPal payment
inline constexpr int kPaypalLogin = 1030;
inline constexpr int kPaypalComplete = 1031;
inline constexpr int kPaypalNote = 1032;
inline constexpr int kPaypalLoginNote = 1034;
inline constexpr int kPaypalCompleteNote = 1035;
inline constexpr int kPaypalGroup = 1022;

// Summary
inline constexpr int kSummary = 1019;
inline constexpr int kSubtotal = 1020;
inline constexpr int kTaxLabel = 1041;
inline constexpr int kTax = 1042;
inline constexpr int kTotalLabel = 1043;
inline constexpr int kTotal = 1044;
inline constexpr int kAccountLabel = 1040;
inline constexpr int kCheckoutAccountEmail = 1039;

// Terms, status, logo, Cancel
inline constexpr int kTermsNote = 118;
inline constexpr int kTermsLink = 1036;
inline constexpr int kCheckoutStatus = 1037;
inline constexpr int kCheckoutLogo = 1038;
inline constexpr int kCheckoutCancel = 1048;

// The store logo bitmap drawn into kCheckoutLogo (pixels).
inline constexpr int kCheckoutLogoBitmap = 1142;
inline constexpr int kCheckoutLogoWidth = 150;
inline constexpr int kCheckoutLogoHeight = 34;

const DialogResource& checkoutDialogResource();

}  // namespace qk::ui::resources
