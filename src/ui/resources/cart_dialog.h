#pragma once
// The cart dialog "Your Cart" (dialog 1049): its control ids and its resource table.

#include "ui/dialog_resource.h"

namespace qk::ui::resources {

inline constexpr int kCartDialogId = 1049;

inline constexpr int kCartList = 1051;
inline constexpr int kCartRemove = 1052;
inline constexpr int kCartTotalText = 1053;
inline constexpr int kCartTaxNote = 1056;
inline constexpr int kCartGiftBox = 1055;
inline constexpr int kCartBeforeCheckoutGroup = 120;
inline constexpr int kCartAddressNote = 119;
inline constexpr int kCartViewAccount = 1058;
inline constexpr int kCartClose = 1054;
inline constexpr int kCartProceed = 1050;

const DialogResource& cartDialogResource();

}  // namespace qk::ui::resources
