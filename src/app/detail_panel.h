#pragma once
// The detail panel: the right half of the main window showing the selected product,
// and the commands that act on the shown product.

#include <string>
#include <string_view>

#include "ui/dialog_view.h"

namespace qk::app {

class Agent;
struct CurrentProduct;

// Fills the panel from the list's first selected row. Selecting the row already shown
// does nothing, unless selectedProduct is -1 (after Logout), which always refreshes.
void showSelectedProduct(Agent& agent, ui::DialogView& view);

// A decimal byte count as the panel shows a file's size ("2.00 MB"); empty when the
// count is not a number.
std::string fileSizeTextOf(std::string_view byteCount);

// Single-file status text (1124) or the one used beside the file box (1154).
void showFileStatusVariant(const CurrentProduct& product, ui::DialogView& view);

// "Order Number: …" with the certificate and, when there is one, the serial number as links.
std::string orderLinkText(const CurrentProduct& product);

// Commands of the panel.
void onAddToCartClicked(Agent& agent, ui::DialogView& view);
void onBundlePricingClicked(Agent& agent, ui::DialogView& view);
void onProductSupportClicked(Agent& agent);
void onFileBoxChanged(Agent& agent, ui::DialogView& view);
void onOpenDownloadedFileClicked(Agent& agent, ui::DialogView& view);
void onOrderLinkClicked(Agent& agent, ui::DialogView& view, int linkIndex);

}  // namespace qk::app
