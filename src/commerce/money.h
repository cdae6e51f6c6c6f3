#pragma once
// Money as the store speaks it: decimal text with exactly two decimals.

#include <string>
#include <string_view>

namespace qk {

// A price or tax: rounded half up to whole cents, then printed with two decimals
// (12.5 -> "12.50", 0 -> "0.00", 4.120875 -> "4.12", 0.505 -> "0.51").
std::string moneyText(double amount);

// A sum of money texts (cart total, tax total): printed with two decimals, no
// rounding step of its own.
std::string sumText(double amount);

// Reads a money text back the way a plain text-to-number conversion does: leading
// blanks skipped, the longest decimal prefix taken; empty or non-numeric text is 0.
double readMoney(std::string_view text);

}  // namespace qk
