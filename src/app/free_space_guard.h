#pragma once
// Free space before a byte is written, for Download File, Update All and Download All.

#include <vector>

#include "download/download_display.h"
#include "ui/dialog_view.h"

namespace qk::app {

class Agent;

// True when the files fit on the download folder's disk (or the disk does not say);
// otherwise shows the message that names both sizes and returns false.
bool roomForDownload(Agent& agent, ui::DialogView& view, const std::vector<download::DownloadSubject>& files);

}  // namespace qk::app
