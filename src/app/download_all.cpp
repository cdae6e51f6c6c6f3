#include "app/download_all.h"

#include <string>
#include <unordered_set>
#include <utility>

#include "app/agent.h"
#include "app/free_space_guard.h"
#include "app/update_all.h"
#include "download/download_folder.h"
#include "download/library_gaps.h"
#include "platform/byte_size_text.h"
#include "ui/resources/main_window.h"

namespace qk::app {

namespace ids = ui::resources;

namespace {

download::QueueLabels downloadAllLabels()
{
    return {ids::kDownloadAll, kDownloadAllCaption, "Downloading", "downloaded"};
}

bool ownQueueRunning(const Agent& agent)
{
    return agent.updateQueue.running() && agent.updateQueue.labels().button == ids::kDownloadAll;
}

// Once, naming how many files and how much they are (from the orders' byte counts).
std::string confirmationText(const std::vector<download::DownloadSubject>& files)
{
    std::uint64_t total = 0;
    for (const download::DownloadSubject& file : files)
        total += file.byteCount;
    const std::string size = " (" + platform::formatByteSize(total) + ")";
    if (files.size() == 1)
        return "Download 1 file of your library that is missing or damaged" + size + "?";
    return "Download " + std::to_string(files.size()) + " files of your library that are missing or damaged" +
           size + "?";
}

}  // namespace

std::vector<download::DownloadSubject> missingLibraryFiles(const Agent& agent)
{
    std::vector<download::DownloadSubject> files;
    std::unordered_set<std::string> queued;
    const auto folder = productDownloadFolder(agent.appState.downloadBase, agent.appState.vendorId);
    for (const OrderFields& order : listedOwnedOrders(agent)) {
        for (download::LibraryGap& gap : download::missingOrDamagedFilesOf(order, folder)) {
            if (queued.insert(gap.subject.fileName).second)
                files.push_back(std::move(gap.subject));
        }
    }
    return files;
}

bool downloadAllUsable(const Agent& agent)
{
    return !agent.updateQueue.running() && !agent.downloadDisplay.active && !missingLibraryFiles(agent).empty();
}

void showDownloadAllButton(Agent& agent, ui::DialogView& view, bool libraryView)
{
    const bool visible = libraryView || ownQueueRunning(agent);
    view.setVisible(ids::kDownloadAll, visible);
    // A hidden button needs no look at the disk.
    view.setEnabled(ids::kDownloadAll, visible && downloadAllUsable(agent));
}

void onDownloadAllClicked(Agent& agent, ui::DialogView& view, const std::function<void()>& refreshView)
{
    if (!downloadAllUsable(agent))
        return;
    std::vector<download::DownloadSubject> files = missingLibraryFiles(agent);
    if (!roomForDownload(agent, view, files))
        return;
    if (agent.message(&view, confirmationText(files), kDownloadAllCaption, ui::mb::kYesNo | ui::mb::kIconQuestion) !=
        ui::kIdYes)
        return;
    startLibraryQueue(agent, view, std::move(files), downloadAllLabels(), refreshView);
}

}  // namespace qk::app
