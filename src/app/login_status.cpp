// Login display and the Login, Logout and Edit Account commands of the main window.
#include "app/account_access.h"
#include "app/agent.h"
#include "app/cart_access.h"
#include "app/detail_panel.h"
#include "app/main_window.h"
#include "app/panel_mode.h"
#include "ui/resources/main_window.h"

namespace qk::app {

namespace ids = ui::resources;

namespace {

constexpr std::size_t kShownNameMax = 241;

void showWelcome(ui::DialogView& view, const std::string& accountName)
{
    view.setText(ids::kStatusText, "Welcome " + accountName.substr(0, kShownNameMax));
}

}  // namespace

bool MainWindow::showLoginStatus()
{
    ui::DialogView& view = *view_;
    Session& session = agent_.session;
    login(agent_, &view);
    if (session.hasLogin && !session.customerName.empty()) {
        session.accountName = session.customerName;
        showWelcome(view, session.accountName);
        view.setEnabled(ids::kLogin, false);
        view.setEnabled(ids::kLogout, true);
        view.setEnabled(ids::kEditAccount, true);
        agent_.appState.loggedIn = true;
        return true;
    }
    view.setText(ids::kStatusText, "You are not logged in.");
    showLoggedOutControls();
    return false;
}

void MainWindow::showLoggedOutControls()
{
    ui::DialogView& view = *view_;
    view.setEnabled(ids::kLogin, true);
    for (const int id : {ids::kLogout, ids::kEditAccount, ids::kApplyCoupon, ids::kAddToCart})
        view.setEnabled(id, false);
}

void MainWindow::loginClicked()
{
    if (agent_.session.loginDialogOpen)
        return;
    if (showLoginStatus()) {
        agent_.appState.shownRow = -1;
        refreshStore();
    } else {
        agent_.message(view_.get(), "Error: Could not login with the information entered.",
                       nullptr, ui::mb::kIconExclamation);
    }
}

void MainWindow::logoutClicked()
{
    ui::DialogView& view = *view_;
    // A box ended by the agent's quit is no answer: it logs nothing out.
    const int answer = agent_.message(&view, kLogoutQuestion, "Logout Confirmation", ui::mb::kYesNo);
    if (answer == ui::kIdNo || answer == ui::kIdNoAnswer)
        return;

    view.setText(ids::kStatusText, "You are not logged in. Please select the Login button.");
    setProductPanelMode(view, false);
    view.setEnabled(ids::kLogin, true);
    for (const int id : {ids::kLogout, ids::kApplyCoupon, ids::kAddToCart, ids::kCheckout})
        view.setEnabled(id, false);
    view.setText(ids::kCheckout, "Checkout (0) Items");
    agent_.session.accountName.clear();
    agent_.session.emailShown.clear();
    clearCart(agent_);
    logout(agent_);
    agent_.libraryKeeper.discard();
    agent_.appState.loggedIn = false;
    agent_.appState.selectedProduct = -1;
    showSelectedProduct(agent_, view);
    refreshStore();
}

void MainWindow::editAccountClicked()
{
    if (agent_.session.loginDialogOpen)
        return;
    ui::DialogView& view = *view_;
    openAccountDialog(agent_, &view);
    Session& session = agent_.session;
    session.accountName.clear();
    session.accountName = session.customerName;
    if (!session.accountName.empty())
        showWelcome(view, session.accountName);
}

}  // namespace qk::app
