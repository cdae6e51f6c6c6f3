#pragma once
// Coupons, the purchase transaction and PayPal sessions.
//
// Demo coupons (codes compared without regard to case):
//   SAVE10     10 percent off the product's price
//   FREEBIE    price 0.00
//   BADCONFIG  price "free" (a configuration the agent must refuse)
//   EXPIRED    refused with a message beginning with "We "
//   BROKEN     refused with a message not beginning with "We "
//   auto       upgrade lookup: owners of tov-1008 get tov-1001 for 19.95 with code UPGRADE-1008
// Test cards: 4111111111111111 approves; 4000000000000002 is declined;
//   4000000000000119 answers a processor error; 4000000000009995 answers no_serial.

#include "store_scripts.h"

#include <string>
#include <string_view>
#include <vector>

namespace qk::demo {

ScriptReply couponScript(std::string_view body, StoreContext& store);
ScriptReply purchaseTransactionScript(std::string_view body, StoreContext& store);
ScriptReply paypalSessionScript(std::string_view body, StoreContext& store);
ScriptReply paypalApprovalPage(const std::string& token, StoreContext& store);

// The cart as the agent sends it: entries ending with "*", fields separated by "|":
// productId, title, price, link or coupon, tax, vendorId, vendorName, cartTag.
std::vector<PurchaseItem> parseProductList(std::string_view productList);

}  // namespace qk::demo
