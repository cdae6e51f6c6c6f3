#pragma once
// Download All (button 1162) of the "My Library" view: every file of the library that is
// missing from the download folder or damaged, fetched through Update All's queue.

#include <functional>
#include <vector>

#include "download/download_display.h"
#include "ui/dialog_view.h"

namespace qk::app {

class Agent;

inline constexpr const char* kDownloadAllCaption = "Download All";

// The missing and damaged files of the listed owned products, in list order, each file
// name once (two products may ship a file of the same name; it is fetched once).
std::vector<download::DownloadSubject> missingLibraryFiles(const Agent& agent);

// Whether the button can be pressed now: something to fetch, and nothing being fetched.
bool downloadAllUsable(const Agent& agent);

// Shows the button in the library view (and while its queue runs), usable as above.
void showDownloadAllButton(Agent& agent, ui::DialogView& view, bool libraryView);

// Checks the free space, asks once, then starts the queue. `refreshView` fills the list
// again once the queue ends.
void onDownloadAllClicked(Agent& agent, ui::DialogView& view, const std::function<void()>& refreshView);

}  // namespace qk::app
