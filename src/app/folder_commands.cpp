// The download-folder commands of the main window: Select and Open File Folder.
#include "app/agent.h"
#include "app/main_window.h"
#include "app/settings.h"
#include "ui/resources/main_window.h"

namespace qk::app {

void MainWindow::changeDownloadFolder()
{
    ui::DialogView& view = *view_;
    if (agent_.message(&view,
                       "If you change the default folder path you will need to restart this "
                       "application for the settings to take effect. Would you like to proceed?",
                       "Change Folder Path", ui::mb::kYesNo) != ui::kIdYes)
        return;

    const auto folder = agent_.services.folderBrowser.browse("Select a folder...");
    if (!folder || folder->empty())
        return;
    // The setting is read back in 255 bytes (the path's own bytes, as written): a longer
    // path would be saved now and come back cut, naming another folder, at the next start.
    if (!settingReadsBackWhole(*folder)) {
        agent_.message(&view,
                       "The folder path you selected is too long. Please select a folder with a "
                       "shorter path.",
                       "Change Folder Path", ui::mb::kIconExclamation);
        return;
    }

    if (writeSetting(agent_.settings, *folder, kFolderPathSetting) != 1)
        return;
    agent_.message(&view,
                   "Your default Varnel Agent download folder has been successfully set. We will "
                   "now close this application.\r\n\r\nPlease restart this application for the "
                   "settings to take effect.",
                   "Folder Successfully Set", ui::mb::kOk);
    quit(0);
}

void MainWindow::openFileFolder()
{
    const AppState& state = agent_.appState;
    const auto folder = productDownloadFolder(state.downloadBase, state.vendorId);
    if (!agent_.services.shell.open(folder.string()))
        agent_.services.shell.open(state.downloadBase);
}

}  // namespace qk::app
