// The start-up and refresh sequence of the main window.
#include <algorithm>
#include <ctime>
#include <optional>

#include "app/account_access.h"
#include "app/agent.h"
#include "app/detail_panel.h"
#include "app/download_all.h"
#include "app/library_keeper.h"
#include "app/offline_window.h"
#include "app/main_window.h"
#include "app/panel_mode.h"
#include "app/product_list.h"
#include "app/update_all.h"
#include "app/settings.h"
#include "ui/resources/main_window.h"

namespace qk::app {

namespace ids = ui::resources;

namespace {

std::string withoutNulBytes(std::string_view preset)
{
    std::string text(preset);
    text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
    return text;
}

}  // namespace

void MainWindow::refreshStore()
{
    ui::DialogView& view = *view_;
    AppState& state = agent_.appState;
    LibraryKeeper& keeper = agent_.libraryKeeper;

    state.vendorName = withoutNulBytes(kVendor.name);
    state.vendorId = withoutNulBytes(kVendor.id);
    state.vendorPassword = withoutNulBytes(kVendor.password);

    if (quitRequested_)
        return;
    if (setUpStore(agent_) != 1) {
        agent_.message(nullptr, "Error: Could not initialize cart.", nullptr,
                       ui::mb::kIconExclamation);
        quit(0);
        return;
    }

    // What the window lists now, should the store turn out to be out of reach.
    Purchases shownPurchases = agent_.purchases;
    keeper.beginRefresh();
    const bool loggedIn = showLoginStatus();
    // Asked to end while the login step waited for the store: nothing more is asked or
    // shown.
    if (quitRequested_)
        return;
    if (keeper.storeUnreachable() && showWithoutStore(std::move(shownPurchases)))
        return;
    keeper.settle(agent_.settings, agent_.session);
    if (!loggedIn) {
        agent_.message(&view,
                       "We could not log you into your Varnel account. Please select the Login "
                       "option in the main screen.",
                       nullptr, ui::mb::kIconExclamation);
        showLoggedOutControls();
    }

    state.downloadBase = readDownloadBase(agent_.settings, agent_.deployment);

    if (!loadCatalog() || quitRequested_)
        return;

    view.setTitle(windowTitle(state.vendorName));
    if (keeper.offline)
        leaveOffline(agent_, view);
    rebuildList();
    const bool wholeLibrary = state.productCount > 0 && agent_.purchases.purchasesLoaded;
    if (!quitRequested_ && wholeLibrary)
        keeper.renew(static_cast<std::int64_t>(std::time(nullptr)));
    if (notificationDeferred_ && !quitRequested_) {
        notificationDeferred_ = false;
        onFirstPaint();
    }
}

bool MainWindow::showWithoutStore(Purchases shownPurchases)
{
    ui::DialogView& view = *view_;
    // A window that already shows a library keeps it: the store is only away for now.
    if (agent_.appState.columnsReady && !agent_.appState.products.empty()) {
        agent_.purchases = std::move(shownPurchases);
        if (agent_.libraryKeeper.offline)
            stayOffline(agent_, view);
        return true;
    }
    // At start-up: the saved login's copy, when there is one.
    if (quitRequested_)
        return false;
    std::optional<LibraryCopy> copy = agent_.libraryKeeper.copyFor(agent_.settings);
    if (!copy)
        return false;
    if (!takeLibraryCopy(agent_, *copy)) {
        agent_.libraryKeeper.discard();  // it reads, but holds no library to show
        return false;
    }
    agent_.appState.downloadBase = readDownloadBase(agent_.settings, agent_.deployment);
    view.setTitle(windowTitle(agent_.appState.vendorName));
    rebuildList();
    showOfflineWindow(agent_, view);
    return true;
}

bool MainWindow::loadCatalog()
{
    ui::DialogView& view = *view_;
    // The window's table points into the catalog's records, which are moved aside (not
    // copied: their addresses stay) until the reply shows whether they are replaced.
    Catalog shown = std::move(agent_.catalog);
    agent_.catalog.catalogRecords.clear();
    agent_.catalog.catalogLoaded = shown.catalogLoaded;
    const int shownCount = agent_.appState.productCount;
    std::string header;
    const int count = fetchCatalog(agent_.deployment, agent_.session, agent_.catalog, header);
    if (agent_.libraryKeeper.storeUnreachable() && agent_.appState.columnsReady &&
        !agent_.appState.products.empty()) {
        // The store went away during the refresh: the window stays as it was.
        agent_.catalog = std::move(shown);
        agent_.appState.productCount = shownCount;
        if (agent_.libraryKeeper.offline)
            stayOffline(agent_, view);
        return false;
    }
    agent_.appState.products.clear();
    agent_.appState.selectedProduct = -1;
    agent_.appState.productCount = count;
    switch (count) {
    case 0:
        setNoProductPanel(view);
        return true;
    case -2:
        agent_.message(&view,
                       "You are using an outdated version of this application. Please get the "
                       "latest version and try again.",
                       "New Version Required", ui::mb::kIconExclamation);
        quit(0);
        return false;
    case -3:
        agent_.message(&view,
                       "There are currently no products configured for the selected store, or "
                       "the store may be disabled.",
                       "No Products Available", ui::mb::kIconExclamation);
        quit(0);
        return false;
    default:
        // Other failures are not reported: the list stays empty.
        return true;
    }
}

void MainWindow::rebuildList()
{
    ui::DialogView& view = *view_;
    AppState& state = agent_.appState;

    state.products.clear();
    for (const char* fixed : {kAllCategories, kMyLibrary, kUpdatesAvailable, kCategorySeparator})
        addCategory(view, fixed);
    view.comboSetCurrent(ids::kCategoryBox, 0);
    showUpdateAllButton(agent_, view, false);
    showDownloadAllButton(agent_, view, false);

    view.listClear(ids::kProductList);
    if (!state.columnsReady) {
        view.listSetGridAndFullRow(ids::kProductList);
        view.listSetColumns(ids::kProductList, {{"Product", 380}, {"Category", 98}, {"Price", 62}});
    }

    const std::vector<ProductRecord>& records = agent_.catalog.catalogRecords;
    const std::size_t count = std::min(records.size(), static_cast<std::size_t>(std::max(state.productCount, 0)));
    state.products.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        state.products.push_back({&records[i], nullptr});

    fillProductList(view, state, agent_.purchases, agent_.cart.giftMode, "");

    // Not only an empty catalog lists nothing: one whose products are all hidden (or
    // otherwise unlisted) must not leave the panel offering a product that is not there.
    if (view.listRowCount(ids::kProductList) == 0)
        setNoProductPanel(view);

    view.setFocus(ids::kProductList);
    if (state.selectedProduct >= 0 && state.selectedProduct < view.listRowCount(ids::kProductList))
        view.listSelectRow(ids::kProductList, state.selectedProduct);
    state.columnsReady = true;
    // The engine may or may not report a selection made by the program; the panel
    // ignores a second notice for the row it already shows.
    showSelectedProduct(agent_, view);
}

}  // namespace qk::app
