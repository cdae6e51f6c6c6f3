#include "app/free_space_guard.h"

#include "app/agent.h"
#include "download/download_folder.h"
#include "download/space_check.h"
#include "platform/free_space.h"

namespace qk::app {

bool roomForDownload(Agent& agent, ui::DialogView& view, const std::vector<download::DownloadSubject>& files)
{
    platform::SystemFreeSpace systemSpace;
    platform::FreeSpace& space = agent.freeSpace != nullptr ? *agent.freeSpace : systemSpace;
    const auto folder = productDownloadFolder(agent.appState.downloadBase, agent.appState.vendorId);
    const auto shortage = download::findSpaceShortage(space, folder, files);
    if (!shortage)
        return true;
    agent.message(&view, download::shortageMessage(*shortage), download::kNoSpaceCaption,
                  ui::mb::kIconExclamation);
    return false;
}

}  // namespace qk::app
