// Creation, initialisation and command dispatch of the main window.
#include "app/main_window.h"

#include "app/agent.h"
#include "app/cart_access.h"
#include "app/detail_panel.h"
#include "app/download_access.h"
#include "app/download_all.h"
#include "app/notifications.h"
#include "app/offline_window.h"
#include "app/panel_mode.h"
#include "app/product_list.h"
#include "app/purchase_access.h"
#include "app/store_pictures.h"
#include "app/update_all.h"
#include "platform/quit_request.h"
#include "ui/resources/main_window.h"

namespace qk::app {

namespace ids = ui::resources;
using ui::Notify;

MainWindow::MainWindow(Agent& agent) : agent_(agent) {}

MainWindow::~MainWindow() = default;

void MainWindow::create()
{
    build();
    // The engine may deliver onInit while building, before the view is ours.
    if (!initialised_)
        initialise();
}

void MainWindow::createShown()
{
    build();
    // Showing delivers onInit; the start-up must wait until the window is up.
    initialised_ = true;
    view_->show();
    initialised_ = false;
    initialise();
}

void MainWindow::build()
{
    view_ = agent_.services.dialogs.create(ids::mainWindowResource(), *this, nullptr);
    view_->setIcon(ids::kAgentIcon);
    // The title the start-up will set anyway, so the window is never seen without it.
    view_->setTitle(windowTitle(kVendor.name));
}

void MainWindow::onInit()
{
    if (view_ && !initialised_)
        initialise();
}

void MainWindow::initialise()
{
    initialised_ = true;
    ui::DialogView& view = *view_;
    refreshStore();
    view.setFont(ids::kProductTitle, "Arial", 10, 700);
    view.setFont(ids::kPriceNote, "Arial", 11, 400);
    if (!quitRequested_)
        view.setPicture(ui::kClientArea, ids::kLogoX, ids::kLogoY,
                        agent_.libraryKeeper.vendorLogo(agent_.deployment,
                                                        vendorLogoPath(agent_.appState.vendorId)));
    agent_.appState.mainWindowReady = true;
    if (firstPaintHeld_ && !quitRequested_) {
        firstPaintHeld_ = false;
        onFirstPaint();
    }
}

void MainWindow::quit(int code)
{
    quitRequested_ = true;
    quitCode_ = code;
    agent_.libraryKeeper.stopWriting();
    // From now on nothing is written and no store request starts.
    if (agent_.deployment.quit)
        agent_.deployment.quit->ask();
    if (view_)
        view_->postQuit(code);
}

std::string MainWindow::windowTitle(const std::string& vendorName)
{
    return "Varnel QK-Agent for " + vendorName + " (Version " + kAgentVersion + ")";
}

void MainWindow::onCommand(int controlId, Notify code, int index)
{
    if (!view_ || refusedOffline(agent_, controlId))
        return;
    dispatchCommand(controlId, code, index);
    if (view_)
        holdOfflineControls(agent_, *view_);
}

void MainWindow::dispatchCommand(int controlId, Notify code, int index)
{
    ui::DialogView& view = *view_;
    switch (controlId) {
    case ui::kCancelCommand:
    case ids::kExit:
        quit(0);
        return;
    case ids::kLogin:
        loginClicked();
        return;
    case ids::kLogout:
        logoutClicked();
        return;
    case ids::kEditAccount:
        editAccountClicked();
        return;
    case ids::kDownloadFile:
        beginFileDownload(agent_, view);
        showQueueButtons();
        return;
    case ids::kCancelDownload:
        cancelDownloadClicked();
        return;
    case ids::kSelectFolder:
        changeDownloadFolder();
        return;
    case ids::kOpenFileFolder:
        openFileFolder();
        return;
    case ids::kUpdateAll:
        onUpdateAllClicked(agent_, view, [this] { categoryChanged(); });
        return;
    case ids::kDownloadAll:
        onDownloadAllClicked(agent_, view, [this] { categoryChanged(); });
        return;
    case ids::kOpenDownloadedFile:
        onOpenDownloadedFileClicked(agent_, view);
        return;
    case ids::kAddToCart:
        onAddToCartClicked(agent_, view);
        return;
    case ids::kCheckout:
        checkoutClicked();
        return;
    case ids::kApplyCoupon:
        applyCoupon(agent_, view);
        return;
    case ids::kBundlePricing:
        onBundlePricingClicked(agent_, view);
        return;
    case ids::kCategoryBox:
        if (code == Notify::SelectionChanged)
            categoryChanged();
        return;
    case ids::kProductSupport:
        onProductSupportClicked(agent_);
        return;
    case ids::kFileBox:
        if (code == Notify::SelectionChanged)
            onFileBoxChanged(agent_, view);
        return;
    case ids::kProductList:
        if (code == Notify::ItemChanged)
            showSelectedProduct(agent_, view);
        return;
    case ids::kReadMore:
        if (code == Notify::LinkClicked) {
            agent_.appState.notificationId.clear();
            showLongDescription(agent_, view);
        }
        return;
    case ids::kOrderLink:
        if (code == Notify::LinkClicked)
            onOrderLinkClicked(agent_, view, index);
        return;
    default:
        return;
    }
}

void MainWindow::onTimer(int timerId)
{
    if (timerId == ids::kProgressTimer && view_) {
        const bool wasFetching = agent_.downloadDisplay.active;
        onProgressTimer(agent_, *view_);
        // A file that arrived (or did not) may change what the library's buttons offer.
        if (agent_.downloadDisplay.active != wasFetching)
            showQueueButtons();
    }
    if (timerId == ids::kUpdateQueueTimer && view_)
        onUpdateQueueTimer(agent_, *view_, [this] { categoryChanged(); });
    if (timerId == kOfflineRetryTimer && view_ && onOfflineRetryTimer(agent_, *view_)) {
        agent_.appState.shownRow = -1;
        refreshStore();
    }
}

void MainWindow::onFirstPaint()
{
    // After a quit no notification is asked for, nor shown.
    if (agent_.appState.firstPaintDone || !view_ || quitRequested_)
        return;
    // Offline the store has no notification to give: asked once it is back.
    if (agent_.libraryKeeper.offline) {
        notificationDeferred_ = true;
        return;
    }
    // A window on screen before its start-up ends is painted while the start-up asks
    // the store: the notification comes after the start-up's requests, as it always has.
    if (!agent_.appState.mainWindowReady) {
        firstPaintHeld_ = true;
        return;
    }
    agent_.appState.firstPaintDone = true;
    checkNotification(agent_, *view_);
}

void MainWindow::cancelDownloadClicked()
{
    // The worker notices the cleared flag after its current read and ends on its own.
    cancelUpdateQueue(agent_);
    cancelFileDownload(agent_);
}

void MainWindow::checkoutClicked()
{
    ui::DialogView& view = *view_;
    if (cartCount(agent_) == 0)
        return;
    if (openCartDialog(agent_, view) != 1) {
        updateCartButtons(agent_, view);
        return;
    }
    const std::string result = runPurchase(agent_, view).substr(0, 199);
    if (quitRequested_)
        return;
    if (result.empty()) {
        updateCartButtons(agent_, view);
        // Read again after a purchase without an answer: the list shows what is owned.
        if (agent_.checkout.purchasesReread)
            categoryChanged();
        return;
    }
    if (result != "approved")
        updateCartButtons(agent_, view);
    refreshStore();
}

std::string MainWindow::categoryFilter() const
{
    const int current = view_->comboCurrent(ids::kCategoryBox);
    return current < 0 ? std::string() : view_->comboText(ids::kCategoryBox, current).substr(0, 99);
}

void MainWindow::showQueueButtons()
{
    const std::string filter = categoryFilter();
    showUpdateAllButton(agent_, *view_, filter == kUpdatesAvailable);
    showDownloadAllButton(agent_, *view_, filter == kMyLibrary);
}

void MainWindow::categoryChanged()
{
    ui::DialogView& view = *view_;
    const std::string filter = categoryFilter();
    fillProductList(view, agent_.appState, agent_.purchases, agent_.cart.giftMode, filter);
    // A category without rows (My Library before any purchase) shows no product either.
    if (view.listRowCount(ids::kProductList) == 0)
        setNoProductPanel(view);
    showSelectedProduct(agent_, view);
    showQueueButtons();
}

}  // namespace qk::app
