#pragma once
// The product list (list view 1118) and the category box (1151) of the main window.

#include <string_view>

#include "app/app_state.h"
#include "store/purchases.h"
#include "ui/dialog_view.h"

namespace qk::app {

inline constexpr const char* kAllCategories = "All Categories";
inline constexpr const char* kMyLibrary = "My Library";
// The owned products that have a downloaded file in another version than the store's.
inline constexpr const char* kUpdatesAvailable = "Updates Available";
inline constexpr const char* kCategorySeparator = "------";

// Owned products first ("* " name, "Library"), then the ones for sale, both in catalog
// order, keeping only rows whose first category equals `filter` (empty: all). "My
// Library" keeps the owned rows only, "Updates Available" those of them with a library
// update (hasLibraryUpdate). Every listed product's first category is added
// to the category box. Rows are inserted one after another, so a filter leaves no gaps.
// Leaves selectedProduct at 0 and shownRow at -1 and selects row 0 when there is one.
void fillProductList(ui::DialogView& view, AppState& state, const Purchases& purchases,
                     bool giftMode, std::string_view filter);

// An owned product one of whose files is in the download folder, with its record, in
// another version than the one its order offers now.
bool hasLibraryUpdate(const AppState& state, const Purchases& purchases, std::string_view productId);

// Appends `name` to the category box unless an entry with exactly that text is there
// (the empty name included).
void addCategory(ui::DialogView& view, std::string_view name);

// The first element of a comma-separated category text.
std::string_view firstCategory(std::string_view categories);

}  // namespace qk::app
