#pragma once
// Switches the main window between the buying group and the owned-product group.
// Enables and disables only; nothing is shown or hidden.

#include "ui/dialog_view.h"

namespace qk::app {

void setProductPanelMode(ui::DialogView& view, bool owned);

}  // namespace qk::app
