#pragma once
// Main-window entry points whose features are not built yet. Each is routed here so the
// window's dispatch is complete; none of them shows or changes anything yet.

#include <string>

#include "ui/dialog_view.h"

namespace qk::app {

class Agent;

// Edit Account: account management.
void openAccountManagement(Agent& agent, ui::DialogView& view);

}  // namespace qk::app
