#pragma once
// The composition root: every process-wide record of the agent, owned by one object
// that main() creates and hands by reference to the operations that need it. The
// platform services are references so that tests can install fakes.

#include "store/session.h"
#include "app/app_state.h"
#include "app/current_product.h"
#include "app/library_keeper.h"
#include "app/offline_window.h"
#include "commerce/cart.h"
#include "commerce/checkout.h"
#include "download/download_display.h"
#include "download/download_job.h"
#include "download/update_queue.h"
#include "platform/deployment.h"
#include "platform/free_space.h"
#include "platform/ports.h"
#include "platform/settings_store.h"
#include "store/catalog.h"
#include "store/purchases.h"
#include "ui/dialog_view.h"
#include "ui/message_box.h"

namespace qk::app {

// The preset vendor of this build.
struct VendorPresets {
    const char* name;
    const char* id;
    const char* password;
};
inline constexpr VendorPresets kVendor{"Tovrin Simulations", "tovrin", "tvS8x2Qa"};

inline constexpr const char* kAgentVersion = "2.0.2.8";

struct Services {
    ui::DialogFactory& dialogs;
    ui::MessageBoxFunction messageBox;
    platform::Shell& shell;
    platform::Clipboard& clipboard;
    platform::FolderBrowser& folderBrowser;
};

class Agent {
public:
    Agent(Deployment deploymentSettings, Services platformServices)
        : deployment(std::move(deploymentSettings)),
          settings(deployment.settingsDir, deployment.quit),
          services(std::move(platformServices)),
          libraryKeeper(deployment.settingsDir)
    {
        downloadJob.caFile = deployment.caFile;
        deployment.exchangeObserver = &libraryKeeper;
    }

    Agent(const Agent&) = delete;
    Agent& operator=(const Agent&) = delete;

    Deployment deployment;
    SettingsStore settings;
    Session session;
    Catalog catalog;
    Purchases purchases;
    Cart cart;
    CheckoutState checkout;
    AppState appState;
    CurrentProduct currentProduct;
    download::DownloadJob downloadJob;
    download::DownloadDisplay downloadDisplay;
    download::UpdateQueue updateQueue;
    Services services;
    // Where the free space of the download folder is read; null: the system's own.
    platform::FreeSpace* freeSpace = nullptr;
    LibraryKeeper libraryKeeper;  // the copy of the library, and pictures offline
    OfflineState offlineState;    // the window shows the copy: the retries

    // Shows a message through the agent's message box.
    int message(ui::DialogView* owner, const std::string& text, const char* caption,
                unsigned flags) const
    {
        return services.messageBox ? services.messageBox(nullptr, owner, text, caption, flags)
                                   : ui::kIdOk;
    }
};

}  // namespace qk::app
