#pragma once
// The download operations as the main window calls them: the download layer's display
// and file status with the agent's records filled in.

#include "ui/dialog_view.h"

namespace qk::app {

class Agent;

// Download File: the selected file of the shown product.
void beginFileDownload(Agent& agent, ui::DialogView& view);
// Timer 1143.
void onProgressTimer(Agent& agent, ui::DialogView& view);
// Cancel.
void cancelFileDownload(Agent& agent);
// The file status panel of the shown product, from its download record.
void showFileStatus(Agent& agent, ui::DialogView& view);

}  // namespace qk::app
