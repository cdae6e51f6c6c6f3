#pragma once
// The store logo bitmap of the checkout dialog (resource 1142): drawn by the agent itself.

#include <string>

namespace qk::ui {

// 150 x 34 pixels times `pixelRatio` as PNG bytes, black already made transparent as the
// dialog draws it.
std::string checkoutLogoPng(double pixelRatio = 1.0);

// The pixel ratio of the densest screen, for pictures the agent draws itself.
double screenPixelRatio();

}  // namespace qk::ui
