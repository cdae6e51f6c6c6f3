#pragma once
// The store logo bitmap of the checkout dialog (resource 1142): drawn by the agent itself.

#include <string>

namespace qk::ui {

// 150 x 34 pixels as PNG bytes, black already made transparent as the dialog draws it.
std::string checkoutLogoPng();

}  // namespace qk::ui
