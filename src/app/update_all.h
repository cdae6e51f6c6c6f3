#pragma once
// Update All (button 1160) of the "Updates Available" view: every outdated file of the
// library fetched again, one after another, through the road of Download File.

#include <functional>
#include <string>
#include <vector>

#include "download/update_queue.h"
#include "store/order_record.h"
#include "ui/dialog_view.h"

namespace qk::app {

class Agent;

inline constexpr const char* kUpdateAllCaption = "Update All";

// Shows the button in the updates view (and while its queue runs), usable when the view
// lists something and nothing is being fetched.
void showUpdateAllButton(Agent& agent, ui::DialogView& view, bool updatesView);

// The orders of the listed owned products (not hidden, not free), in list order: what
// Update All and Download All look through.
std::vector<OrderFields> listedOwnedOrders(const Agent& agent);

// Asks once, then starts the queue. `refreshView` fills the list again once the queue ends.
void onUpdateAllClicked(Agent& agent, ui::DialogView& view, const std::function<void()>& refreshView);

// Starts the queue of library files (Update All's, or another button's with its own labels)
// once its question was answered Yes: the button counts the files until the summary, which
// also names the `leftAlone` files.
void startLibraryQueue(Agent& agent, ui::DialogView& view, std::vector<download::DownloadSubject> files,
                       download::QueueLabels labels, const std::function<void()>& refreshView,
                       std::vector<std::string> leftAlone = {});

// Timer 1161: the next file of the queue, or its end.
void onUpdateQueueTimer(Agent& agent, ui::DialogView& view, const std::function<void()>& refreshView);

// Cancel while the queue runs: the current file and the rest.
void cancelUpdateQueue(Agent& agent);

}  // namespace qk::app
