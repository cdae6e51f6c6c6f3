#pragma once
// The download operations as the main window calls them: the download layer's display
// and file status with the agent's records filled in.

#include "download/download_display.h"
#include "ui/dialog_view.h"

namespace qk::app {

class Agent;

// Download File: the selected file of the shown product.
void beginFileDownload(Agent& agent, ui::DialogView& view);
// The same road for a file named by the caller (Update All) rather than by the panel.
void beginSubjectDownload(Agent& agent, ui::DialogView& view, download::DownloadSubject subject);
// Timer 1143.
void onProgressTimer(Agent& agent, ui::DialogView& view);
// Cancel.
void cancelFileDownload(Agent& agent);
// The file status panel of the shown product, from its download record.
void showFileStatus(Agent& agent, ui::DialogView& view);

}  // namespace qk::app
