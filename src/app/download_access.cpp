#include "app/download_access.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "account/login_dialog.h"
#include "app/agent.h"
#include "app/detail_panel.h"
#include "app/free_space_guard.h"
#include "commerce/post_process.h"
#include "download/download_display.h"
#include "download/download_folder.h"
#include "download/file_status.h"
#include "platform/byte_size_text.h"
#include "ui/resources/main_window.h"

namespace qk::app {

namespace ids = ui::resources;

namespace {

std::string downloadFolderOf(const AppState& state)
{
    return productDownloadFolder(state.downloadBase, state.vendorId).string();
}

// The exact byte count the order gives for the selected file.
std::uint64_t orderedByteCount(const CurrentProduct& product)
{
    std::string_view count = product.orderField(order::kFileSize);
    if (product.multiFile) {
        count = {};
        for (const auto& [name, size] : product.fileList) {
            if (name == product.selectedFile.str()) {
                count = size;
                break;
            }
        }
    }
    return platform::parseByteCount(count).value_or(0);
}

download::DownloadSubject subjectOf(const CurrentProduct& product, int fileBoxIndex)
{
    download::DownloadSubject subject;
    subject.productName = product.productName;
    subject.productId = product.productId;
    subject.fileName = product.selectedFile.str();
    subject.version = product.orderField(order::kVersion);
    subject.sizeText = product.fileSizeText;
    subject.byteCount = orderedByteCount(product);
    subject.multiFile = product.multiFile;
    // The file box's first entry is the prompt; files start at the second.
    subject.fileIndex = fileBoxIndex - 1;
    subject.fileList = product.fileList;
    subject.postProcessFlag = product.orderField(order::kPostProcess);
    subject.orderNumber = product.orderField(order::kOrderNumber);
    subject.postProcessData = product.orderField(order::kSerialNumber);
    return subject;
}

download::DownloadWindow windowOf(Agent& agent, ui::DialogView& view)
{
    download::DownloadWindow window{view,
                                    agent.downloadJob,
                                    agent.deployment,
                                    agent.session,
                                    agent.appState.downloadBase,
                                    agent.appState.vendorId,
                                    agent.services.messageBox,
                                    agent.services.shell,
                                    {},
                                    {},
                                    {},
                                    {}};
    window.postProcess = [&agent](const download::DownloadSubject& subject) {
        FixedText<100> reply;
        return postProcess(agent.deployment, agent.session, subject.orderNumber,
                           subject.productId, subject.postProcessData, reply);
    };
    window.promptLogin = [&agent, &view] {
        LoginContext context{agent.deployment,     agent.session,          agent.purchases,
                             agent.settings,       agent.services.dialogs, agent.services.messageBox,
                             agent.services.shell, &view,                  {}};
        runLoginDialog(context);
    };
    window.showFileStatus = [&agent, &view] { showFileStatus(agent, view); };
    return window;
}

}  // namespace

void beginFileDownload(Agent& agent, ui::DialogView& view)
{
    const CurrentProduct& product = agent.currentProduct;
    if (!product.owned || agent.downloadDisplay.active)
        return;
    download::DownloadSubject subject = subjectOf(product, view.comboCurrent(ids::kFileBox));
    if (!roomForDownload(agent, view, {subject}))
        return;
    beginSubjectDownload(agent, view, std::move(subject));
}

void beginSubjectDownload(Agent& agent, ui::DialogView& view, download::DownloadSubject subject)
{
    // The application-data folder is the platform's own and may simply not be made yet
    // on a new account; a folder the customer chose is never made up in its place.
    if (agent.appState.downloadBase == agent.deployment.appDataDir.string()) {
        std::error_code ignored;
        std::filesystem::create_directories(agent.deployment.appDataDir, ignored);
    }
    download::DownloadWindow window = windowOf(agent, view);
    download::startFileDownload(agent.downloadDisplay, window, std::move(subject));
}

void onProgressTimer(Agent& agent, ui::DialogView& view)
{
    download::DownloadWindow window = windowOf(agent, view);
    download::onProgressTimer(agent.downloadDisplay, window);
}

void cancelFileDownload(Agent& agent)
{
    download::cancelFileDownload(agent.downloadDisplay, agent.downloadJob);
}

void showFileStatus(Agent& agent, ui::DialogView& view)
{
    CurrentProduct& product = agent.currentProduct;
    if (!product.owned)
        return;  // a product for sale has no file on disk to report
    if (product.multiFile && view.comboCurrent(ids::kFileBox) == 0) {
        view.setText(ids::kFileStatusWithBox, std::string(download::kSelectFilePrompt));
        view.setVisible(ids::kFileStatusWithBox, true);
        view.setVisible(ids::kFileStatus, false);
        return;
    }
    const download::FileStatus status = download::describeFileStatus(
        {downloadFolderOf(agent.appState), product.selectedFile.str(),
         product.orderField(order::kVersion), product.fileSizeText, product.multiFile,
         product.fileList});
    product.downloadedFilePath = status.downloadedFilePath;
    product.recordedFilePath = status.recordedFilePath;
    product.fileSizeText = status.sizeText;

    view.setEnabled(ids::kOpenDownloadedFile, status.downloaded);
    const int panel = product.multiFile ? ids::kFileStatusWithBox : ids::kFileStatus;
    view.setText(panel, status.panelText);
    showFileStatusVariant(product, view);
    if (view.listFirstSelected(ids::kProductList) != agent.appState.shownRow)
        view.setText(ids::kProgressText, "Download Progress");
}

}  // namespace qk::app
