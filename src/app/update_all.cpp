#include "app/update_all.h"

#include <utility>
#include <vector>

#include "app/agent.h"
#include "app/download_access.h"
#include "app/free_space_guard.h"
#include "download/download_folder.h"
#include "download/library_updates.h"
#include "ui/resources/main_window.h"

namespace qk::app {

namespace ids = ui::resources;

namespace {

// The outdated files of the listed owned products, in list order, each file name once.
download::LibraryUpdatePlan outdatedLibraryFiles(const Agent& agent)
{
    return download::planLibraryUpdates(listedOwnedOrders(agent),
                                        productDownloadFolder(agent.appState.downloadBase, agent.appState.vendorId));
}

std::string confirmationText(std::size_t count)
{
    if (count == 1)
        return "Download the new version of 1 file? The file you have now will be replaced.";
    return "Download the new versions of " + std::to_string(count) +
           " files? The files you have now will be replaced.";
}

void finishQueue(Agent& agent, ui::DialogView& view, const std::function<void()>& refreshView)
{
    download::UpdateQueue& queue = agent.updateQueue;
    agent.downloadDisplay.queueEnded = nullptr;
    queue.finish();
    const download::QueueLabels& labels = queue.labels();
    view.setText(labels.button, labels.caption);
    agent.message(&view, queue.summary(), labels.caption.c_str(), ui::mb::kIconInformation);
    refreshView();
}

}  // namespace

std::vector<OrderFields> listedOwnedOrders(const Agent& agent)
{
    std::vector<OrderFields> orders;
    for (const ListedProduct& listed : agent.appState.products) {
        const ProductRecord& record = listed.record();
        if (record.hidden() != "No" || record.price() == "free" ||
            findOrder(agent.purchases, agent.cart.giftMode, record.productId()) != 1)
            continue;
        OrderFields order;
        readOrderRecord(*agent.purchases.owningOrder(record.productId()), order);
        orders.push_back(std::move(order));
    }
    return orders;
}

void showUpdateAllButton(Agent& agent, ui::DialogView& view, bool updatesView)
{
    const bool queueRunning = agent.updateQueue.running();
    const bool ownQueue = queueRunning && agent.updateQueue.labels().button == ids::kUpdateAll;
    view.setVisible(ids::kUpdateAll, updatesView || ownQueue);
    view.setEnabled(ids::kUpdateAll, !queueRunning && !agent.downloadDisplay.active &&
                                         view.listRowCount(ids::kProductList) > 0);
}

void onUpdateAllClicked(Agent& agent, ui::DialogView& view, const std::function<void()>& refreshView)
{
    if (agent.updateQueue.running() || agent.downloadDisplay.active)
        return;
    download::LibraryUpdatePlan plan = outdatedLibraryFiles(agent);
    if (plan.files.empty() || !roomForDownload(agent, view, plan.files))
        return;
    if (agent.message(&view, confirmationText(plan.files.size()), kUpdateAllCaption,
                      ui::mb::kYesNo | ui::mb::kIconQuestion) != ui::kIdYes)
        return;
    startLibraryQueue(agent, view, std::move(plan.files), {}, refreshView, std::move(plan.otherProductFiles));
}

void startLibraryQueue(Agent& agent, ui::DialogView& view, std::vector<download::DownloadSubject> files,
                       download::QueueLabels labels, const std::function<void()>& refreshView,
                       std::vector<std::string> leftAlone)
{
    const int button = labels.button;
    agent.updateQueue.start(std::move(files), std::move(labels), std::move(leftAlone));
    view.setEnabled(button, false);
    // Each file's end starts the next from its own timer tick, never from inside the
    // display's handling of the end.
    agent.downloadDisplay.queueEnded = [&agent, &view](download::DownloadEnd end) {
        agent.updateQueue.ended(end);
        view.startTimer(ids::kUpdateQueueTimer, 1);
    };
    onUpdateQueueTimer(agent, view, refreshView);
}

void onUpdateQueueTimer(Agent& agent, ui::DialogView& view, const std::function<void()>& refreshView)
{
    view.stopTimer(ids::kUpdateQueueTimer);
    download::UpdateQueue& queue = agent.updateQueue;
    if (!queue.running() || agent.downloadDisplay.active)
        return;
    auto subject = queue.next();
    if (!subject) {
        finishQueue(agent, view, refreshView);
        return;
    }
    view.setText(queue.labels().button, queue.progressCaption());
    beginSubjectDownload(agent, view, std::move(*subject));
}

void cancelUpdateQueue(Agent& agent)
{
    if (agent.updateQueue.running())
        agent.updateQueue.cancel();
}

}  // namespace qk::app
