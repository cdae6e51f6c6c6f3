#pragma once
// The main window (dialog 1114): start-up and refresh sequence, login display and the
// dispatch of every control. The product list and the detail panel live in their own
// files; this presenter orders them.

#include <memory>
#include <string>

#include "ui/dialog_view.h"

namespace qk {
class Purchases;
}

namespace qk::app {

class Agent;

inline constexpr const char* kLogoutQuestion =
    "Are you sure you want to log out? Any products in your cart or discounts applied will be "
    "lost.";

class MainWindow : public ui::DialogHandler {
public:
    explicit MainWindow(Agent& agent);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Builds the window from its resource and runs its initialisation.
    void create();
    // The same for a customer: the window is on screen first, in its logged-out state,
    // and fills in as the store's replies come.
    void createShown();
    [[nodiscard]] ui::DialogView& view() { return *view_; }

    // true once the window asked the event loop to end (also before the loop runs).
    [[nodiscard]] bool quitRequested() const { return quitRequested_; }
    [[nodiscard]] int quitCode() const { return quitCode_; }

    void onInit() override;
    void onCommand(int controlId, ui::Notify code, int index) override;
    void onTimer(int timerId) override;
    void onFirstPaint() override;
    [[nodiscard]] bool closeEndsProgram() const override { return true; }

    // Rebuilds the session set-up, login display, catalog copy, category box and list.
    void refreshStore();
    // Runs the login step and shows its outcome; true when logged in with a name.
    bool showLoginStatus();
    [[nodiscard]] static std::string windowTitle(const std::string& vendorName);

private:
    void build();
    void initialise();
    void quit(int code);
    void showLoggedOutControls();

    // Commands
    void loginClicked();
    void logoutClicked();
    void editAccountClicked();
    void cancelDownloadClicked();
    void changeDownloadFolder();
    void openFileFolder();
    void checkoutClicked();
    void categoryChanged();
    [[nodiscard]] std::string categoryFilter() const;
    // Update All and Download All as the view and what is being fetched allow.
    void showQueueButtons();

    // The command's own work, before the offline window holds its controls again.
    void dispatchCommand(int controlId, ui::Notify code, int index);

    // The store did not answer the login step: the window keeps what it shows, or opens
    // the saved login's copy at start-up. false: neither, the refresh goes on.
    bool showWithoutStore(Purchases shownPurchases);
    // refreshStore's steps after the store set-up and the login display.
    bool loadCatalog();
    void rebuildList();

    Agent& agent_;
    std::unique_ptr<ui::DialogView> view_;
    bool initialised_ = false;
    bool firstPaintHeld_ = false;  // painted before the start-up had finished
    bool quitRequested_ = false;
    bool notificationDeferred_ = false;  // first painted offline: asked once back online
    int quitCode_ = 0;
};

}  // namespace qk::app
