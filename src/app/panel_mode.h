#pragma once
// The enabled state of the main window's detail panel: the buying group, the
// owned-product group, or nothing at all when no product is listed.

#include "ui/dialog_view.h"

namespace qk::app {

// Switches between the buying group and the owned-product group. Enables and disables
// only; nothing is shown or hidden.
void setProductPanelMode(ui::DialogView& view, bool owned);

// The panel while the list shows no row (an empty catalog, every product hidden, a
// category without rows): nothing to read about, buy or download.
void setNoProductPanel(ui::DialogView& view);

// Undoes what setNoProductPanel turns off beyond the two groups, once a product is shown.
void enableProductDetails(ui::DialogView& view);

}  // namespace qk::app
