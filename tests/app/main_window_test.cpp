#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/cart_access.h"
#include "main_window_fixture.h"
#include "platform/text_encoding.h"
#include "store/credentials.h"
#include "support/scripted_qt_dialogs.h"
#include "ui/qt_dialog.h"

#include <QApplication>
#include <QWidget>

namespace qk::test {
namespace {

namespace ids = ui::resources;
using ::testing::ElementsAre;

constexpr const char* kTitle = "Varnel QK-Agent for Tovrin Simulations (Version 2.0.2.8)";

TEST_F(MainWindowTest, LoggedInStartUpShowsTheCustomerHisLibraryAndThePictures)
{
    logInAs("pilot@tovrin.example", "skylane182");
    start();

    EXPECT_TRUE(box_.calls.empty());
    EXPECT_FALSE(window_->quitRequested());
    EXPECT_EQ(view().title(), kTitle);
    EXPECT_EQ(view().text(ids::kStatusText), "Welcome Alex Pilot");
    EXPECT_FALSE(view().isEnabled(ids::kLogin));
    EXPECT_TRUE(view().isEnabled(ids::kLogout));
    EXPECT_TRUE(view().isEnabled(ids::kEditAccount));
    EXPECT_EQ(view().listCell(ids::kProductList, 0, 0), "* Skylane 182 Deluxe");
    EXPECT_EQ(view().text(ids::kProductTitle), "Skylane 182 Deluxe");
    EXPECT_EQ(view().text(ids::kFolderPath), store_.deployment().appDataDir.string());
    EXPECT_TRUE(agent_->appState.mainWindowReady);

    // The logo once, the first product's picture once, both over plain HTTP.
    EXPECT_EQ(requestsFor("/vendors/tovrin/logo_s.png"), 1);
    EXPECT_EQ(requestsFor("/vendors/tovrin/tov-1001/product_main.jpg"), 1);
    EXPECT_TRUE(view().hasPicture(ui::kClientArea));
    EXPECT_TRUE(view().hasPicture(ids::kPictureFrame));
}

TEST_F(MainWindowTest, RepeatedRefreshKeepsEachFixedCategoryOnce)
{
    logInAs("pilot@tovrin.example", "skylane182");
    start();
    const auto first = categories();
    window_->refreshStore();
    window_->refreshStore();
    EXPECT_EQ(categories(), first);
    ASSERT_GE(first.size(), 4u);
    EXPECT_THAT(std::vector<std::string>(first.begin(), first.begin() + 4),
                ElementsAre("All Categories", "My Library", "Updates Available", "------"));
    EXPECT_EQ(std::count(first.begin(), first.end(), ""), 1);
    EXPECT_EQ(view().comboCurrent(ids::kCategoryBox), 0);
}

TEST_F(MainWindowTest, VisitorWithoutLoginIsAskedOnceThenSeesTheStore)
{
    start();
    EXPECT_EQ(dialogs_.modalRuns.size(), 1u);  // the login dialog, cancelled
    ASSERT_EQ(box_.calls.size(), 1u);
    EXPECT_EQ(box_.calls[0].text,
              "We could not log you into your Varnel account. Please select the Login option in "
              "the main screen.");
    EXPECT_FALSE(box_.calls[0].hadCaption);
    EXPECT_EQ(view().text(ids::kStatusText), "You are not logged in.");
    EXPECT_TRUE(view().isEnabled(ids::kLogin));
    EXPECT_FALSE(view().isEnabled(ids::kLogout));
    EXPECT_FALSE(view().isEnabled(ids::kEditAccount));
    EXPECT_FALSE(view().isEnabled(ids::kAddToCart));
    EXPECT_EQ(view().listCell(ids::kProductList, 0, 0), "Skylane 182 Deluxe");
    EXPECT_EQ(view().title(), kTitle);

    // Login cancelled again: the button reports it and changes nothing.
    window_->onCommand(ids::kLogin, ui::Notify::Clicked, 0);
    EXPECT_EQ(dialogs_.modalRuns.size(), 2u);
    ASSERT_EQ(box_.calls.size(), 2u);
    EXPECT_EQ(box_.calls[1].text, "Error: Could not login with the information entered.");
    EXPECT_EQ(view().text(ids::kStatusText), "You are not logged in.");
}

TEST_F(MainWindowTest, CheckoutOpensTheCartOnlyWithSomethingInIt)
{
    logInAs("pilot@tovrin.example", "skylane182");
    start();
    window_->onCommand(ids::kCheckout, ui::Notify::Clicked, 0);
    EXPECT_TRUE(dialogs_.modalRuns.empty());

    clickRow("Alpine Airfields");
    window_->onCommand(ids::kAddToCart, ui::Notify::Clicked, 0);
    store_.clearRequests();
    window_->onCommand(ids::kCheckout, ui::Notify::Clicked, 0);  // cart dialog closed
    ASSERT_EQ(dialogs_.modalRuns.size(), 1u);
    EXPECT_EQ(dialogs_.modalRuns[0], 1049);
    EXPECT_TRUE(box_.calls.empty());
    EXPECT_TRUE(store_.requests().empty());  // no purchase, no refresh
    EXPECT_EQ(view().text(ids::kCheckout), "Checkout (1) Items");
    EXPECT_EQ(view().text(ids::kAddToCart), "Remove ($24.95)");
}

TEST_F(MainWindowTest, OutdatedClientAndWebPageRepliesEndTheProgram)
{
    logInAs("pilot@tovrin.example", "skylane182");
    ASSERT_TRUE(store_.control("catalog", "errversion"));
    start();
    ASSERT_EQ(box_.calls.size(), 1u);
    EXPECT_EQ(box_.calls[0].text,
              "You are using an outdated version of this application. Please get the latest "
              "version and try again.");
    EXPECT_EQ(box_.calls[0].caption, "New Version Required");
    EXPECT_TRUE(window_->quitRequested());
    EXPECT_EQ(window_->quitCode(), 0);

    ASSERT_TRUE(store_.control("catalog", "webpage"));
    box_.calls.clear();
    start();
    ASSERT_EQ(box_.calls.size(), 1u);
    EXPECT_EQ(box_.calls[0].text,
              "There are currently no products configured for the selected store, or the store "
              "may be disabled.");
    EXPECT_EQ(box_.calls[0].caption, "No Products Available");
    EXPECT_TRUE(window_->quitRequested());
}

TEST_F(MainWindowTest, EmptyCatalogKeepsTheWindowWithBuyingControlsOff)
{
    logInAs("pilot@tovrin.example", "skylane182");
    ASSERT_TRUE(store_.control("catalog", "error1"));
    start();
    EXPECT_TRUE(box_.calls.empty());
    EXPECT_FALSE(window_->quitRequested());
    EXPECT_EQ(agent_->appState.productCount, 0);
    EXPECT_EQ(view().listRowCount(ids::kProductList), 0);
    for (const int id : {ids::kApplyCoupon, ids::kAddToCart, ids::kCheckout, ids::kReadMore,
                         ids::kProductSupport, ids::kProductTitle, ids::kProductInformation})
        EXPECT_FALSE(view().isEnabled(id)) << id;
    EXPECT_FALSE(view().isVisible(ids::kBundlePricing));
}

// Enabled and visible, control by control, for the whole main window.
std::vector<std::pair<bool, bool>> controlStates(ui::DialogView& view)
{
    std::vector<std::pair<bool, bool>> states;
    for (const ui::ControlSpec& control : ids::mainWindowResource().controls)
        states.emplace_back(view.isEnabled(control.id), view.isVisible(control.id));
    return states;
}

TEST_F(MainWindowTest, ACatalogThatListsNothingLeavesThePanelAsAnEmptyCatalogDoes)
{
    logInAs("pilot@tovrin.example", "skylane182");
    ASSERT_TRUE(store_.control("catalog", "error1"));
    start();
    ASSERT_EQ(agent_->appState.productCount, 0);
    const auto emptyCatalog = controlStates(view());

    // Every row hidden: the catalog has products, the list has no row.
    ASSERT_TRUE(store_.control("catalog", "allhidden"));
    start();
    EXPECT_GT(agent_->appState.productCount, 0);
    EXPECT_EQ(view().listRowCount(ids::kProductList), 0);
    EXPECT_TRUE(box_.calls.empty());
    EXPECT_FALSE(window_->quitRequested());
    for (const int id : {ids::kProductTitle, ids::kAddToCart, ids::kApplyCoupon,
                         ids::kDownloadFile, ids::kCheckout})
        EXPECT_FALSE(view().isEnabled(id)) << id;
    EXPECT_FALSE(view().isVisible(ids::kBundlePricing));

    const auto states = controlStates(view());
    const auto& controls = ids::mainWindowResource().controls;
    for (std::size_t i = 0; i < controls.size(); ++i)
        EXPECT_EQ(states[i], emptyCatalog[i]) << "control " << controls[i].id;
}

TEST_F(MainWindowTest, ACategoryWithoutRowsShowsNoProductUntilOneIsListedAgain)
{
    logInAs("pilot@tovrin.example", "skylane182");
    start();
    ASSERT_EQ(view().text(ids::kProductTitle), "Skylane 182 Deluxe");
    ASSERT_TRUE(view().isEnabled(ids::kDownloadFile)) << "an owned product is shown";

    const auto choose = [&](const std::string& entry) {
        for (int i = 0; i < view().comboCount(ids::kCategoryBox); ++i) {
            if (view().comboText(ids::kCategoryBox, i) == entry) {
                view().comboSetCurrent(ids::kCategoryBox, i);
                window_->onCommand(ids::kCategoryBox, ui::Notify::SelectionChanged, 0);
                return;
            }
        }
        FAIL() << "no category " << entry;
    };

    // The separator is an entry like any other, and no product has it as category.
    choose("------");
    ASSERT_EQ(view().listRowCount(ids::kProductList), 0);
    for (const int id : {ids::kProductTitle, ids::kProductInformation, ids::kProductSupport,
                         ids::kAddToCart, ids::kApplyCoupon, ids::kDownloadFile,
                         ids::kOpenDownloadedFile, ids::kSelectFolder})
        EXPECT_FALSE(view().isEnabled(id)) << id;
    EXPECT_FALSE(view().isVisible(ids::kBundlePricing));

    // Back to every product: the first row is shown with its details in use again.
    choose("All Categories");
    ASSERT_GT(view().listRowCount(ids::kProductList), 0);
    EXPECT_EQ(view().text(ids::kProductTitle), "Skylane 182 Deluxe");
    for (const int id : {ids::kProductTitle, ids::kProductInformation, ids::kProductSupport,
                         ids::kDownloadFile, ids::kSelectFolder})
        EXPECT_TRUE(view().isEnabled(id)) << id;

    // A product for sale: its buying controls are back too.
    clickRow("Alpine Airfields");
    EXPECT_TRUE(view().isEnabled(ids::kAddToCart));
    EXPECT_TRUE(view().isEnabled(ids::kApplyCoupon));
    EXPECT_TRUE(view().isEnabled(ids::kProductTitle));
}

TEST_F(MainWindowTest, EscapeCloseBoxAndExitAllQuitWithZero)
{
    logInAs("pilot@tovrin.example", "skylane182");
    for (const int id : {ui::kCancelCommand, ids::kExit}) {
        start();
        ASSERT_FALSE(window_->quitRequested());
        window_->onCommand(id, ui::Notify::Clicked, 0);
        EXPECT_TRUE(window_->quitRequested()) << id;
        EXPECT_EQ(window_->quitCode(), 0);
    }
}

TEST_F(MainWindowTest, LogoutAnsweredNoChangesNothingAnyOtherAnswerForgetsTheLogin)
{
    logInAs("pilot@tovrin.example", "skylane182");
    ASSERT_EQ(saveCredentials(agent_->settings, agent_->session), 1);
    start();
    // Something in the cart: a product for sale.
    clickRow("Piper Cub Classic");
    ASSERT_EQ(view().text(ids::kProductTitle), "Piper Cub Classic");
    window_->onCommand(ids::kAddToCart, ui::Notify::Clicked, 0);
    ASSERT_EQ(view().text(ids::kCheckout), "Checkout (1) Items");

    box_.answer(ui::kIdNo);
    window_->onCommand(ids::kLogout, ui::Notify::Clicked, 0);
    ASSERT_EQ(box_.calls.size(), 1u);
    EXPECT_EQ(box_.calls[0].text, app::kLogoutQuestion);
    EXPECT_EQ(box_.calls[0].caption, "Logout Confirmation");
    EXPECT_EQ(view().text(ids::kStatusText), "Welcome Alex Pilot");
    EXPECT_EQ(app::cartCount(*agent_), 1);

    box_.answer(ui::kIdCancel);  // not No: goes on
    window_->onCommand(ids::kLogout, ui::Notify::Clicked, 0);
    EXPECT_EQ(app::cartCount(*agent_), 0);
    EXPECT_FALSE(agent_->settings.readValue(kSettingsKey, "email"));
    EXPECT_FALSE(agent_->session.hasLogin);
    EXPECT_EQ(view().text(ids::kStatusText), "You are not logged in.");
    EXPECT_EQ(view().text(ids::kCheckout), "Checkout (0) Items");
    EXPECT_EQ(view().listCell(ids::kProductList, 0, 0), "Skylane 182 Deluxe");
    EXPECT_EQ(view().text(ids::kProductTitle), "Skylane 182 Deluxe");
}

TEST_F(MainWindowTest, LoginIgnoredWhileTheLoginDialogIsOpen)
{
    logInAs("pilot@tovrin.example", "skylane182");
    start();
    store_.clearRequests();
    agent_->session.loginDialogOpen = 1;
    window_->onCommand(ids::kLogin, ui::Notify::Clicked, 0);
    window_->onCommand(ids::kEditAccount, ui::Notify::Clicked, 0);
    EXPECT_TRUE(store_.requests().empty());
    EXPECT_TRUE(box_.calls.empty());
}

TEST_F(MainWindowTest, SelectFolderAsksBrowsesWritesAndCloses)
{
    logInAs("pilot@tovrin.example", "skylane182");
    start();

    box_.answer(ui::kIdNo);
    window_->onCommand(ids::kSelectFolder, ui::Notify::Clicked, 0);
    EXPECT_TRUE(folders_.titles.empty());
    ASSERT_EQ(box_.calls.size(), 1u);
    EXPECT_EQ(box_.calls[0].caption, "Change Folder Path");

    box_.answer(ui::kIdYes);  // browser cancelled
    window_->onCommand(ids::kSelectFolder, ui::Notify::Clicked, 0);
    EXPECT_THAT(folders_.titles, ElementsAre("Select a folder..."));
    EXPECT_FALSE(agent_->settings.readValue(kSettingsKey, "FolderPath"));
    EXPECT_FALSE(window_->quitRequested());

    folders_.choice = "/srv/downloads";
    box_.answer(ui::kIdYes);
    window_->onCommand(ids::kSelectFolder, ui::Notify::Clicked, 0);
    EXPECT_EQ(agent_->settings.readValue(kSettingsKey, "FolderPath"), "/srv/downloads");
    ASSERT_EQ(box_.calls.size(), 4u);
    EXPECT_EQ(box_.calls[3].caption, "Folder Successfully Set");
    EXPECT_EQ(box_.calls[3].text,
              "Your default Varnel Agent download folder has been successfully set. We will now "
              "close this application.\r\n\r\nPlease restart this application for the settings "
              "to take effect.");
    EXPECT_TRUE(window_->quitRequested());

    // The next start shows the new folder.
    box_.calls.clear();
    start();
    EXPECT_EQ(view().text(ids::kFolderPath), "/srv/downloads");
}

TEST_F(MainWindowTest, ChangeFolderPathAsksYesOrNoAndConfirmsWithAPlainOk)
{
    logInAs("pilot@tovrin.example", "skylane182");
    start();
    folders_.choice = "/srv/downloads";
    box_.answer(ui::kIdYes);
    window_->onCommand(ids::kSelectFolder, ui::Notify::Clicked, 0);
    ASSERT_EQ(box_.calls.size(), 2u);

    const RecordedMessage& question = box_.calls[0];
    EXPECT_EQ(question.text,
              "If you change the default folder path you will need to restart this application "
              "for the settings to take effect. Would you like to proceed?");
    EXPECT_EQ(question.caption, "Change Folder Path");
    EXPECT_EQ(question.flags, ui::mb::kYesNo) << "Yes and No, no icon, nothing else";
    EXPECT_TRUE(question.hadOwner);
    EXPECT_FALSE(question.hadParams);

    const RecordedMessage& done = box_.calls[1];
    EXPECT_EQ(done.caption, "Folder Successfully Set");
    EXPECT_EQ(done.flags, ui::mb::kOk) << "a single OK and no icon";
    EXPECT_TRUE(done.hadOwner);
    EXPECT_TRUE(window_->quitRequested());
}

TEST_F(MainWindowTest, ChangeFolderPathSaysNothingWhenTheSettingCannotBeWritten)
{
    namespace fs = std::filesystem;
    logInAs("pilot@tovrin.example", "skylane182");
    start();
    const fs::path root = agent_->settings.root();
    const fs::path key = agent_->settings.keyFolder(kSettingsKey);

    // The value cannot be set: a folder sits where its file would go.
    fs::create_directories(key / "FolderPath");
    folders_.choice = "/srv/downloads";
    box_.answer(ui::kIdYes);
    window_->onCommand(ids::kSelectFolder, ui::Notify::Clicked, 0);
    ASSERT_EQ(box_.calls.size(), 1u) << "the question only: no success claimed, no error shown";
    EXPECT_FALSE(window_->quitRequested());
    EXPECT_TRUE(fs::is_directory(key / "FolderPath"));

    // The key can be neither opened nor created: a file blocks its path.
    fs::remove_all(root);
    fs::create_directories(root);
    std::ofstream(root / "Software") << "not a key";
    box_.answer(ui::kIdYes);
    window_->onCommand(ids::kSelectFolder, ui::Notify::Clicked, 0);
    ASSERT_EQ(box_.calls.size(), 2u);
    EXPECT_EQ(box_.calls[1].caption, "Change Folder Path");
    EXPECT_FALSE(window_->quitRequested());
    EXPECT_FALSE(agent_->settings.readValue(kSettingsKey, "FolderPath"));
    EXPECT_EQ(agent_->appState.downloadBase, store_.deployment().appDataDir.string())
        << "the folder in use stays";
}

TEST_F(MainWindowTest, AFolderPathTheSettingCannotHoldWholeIsRefusedWithAMessage)
{
    logInAs("pilot@tovrin.example", "skylane182");
    start();

    // 256 bytes, far fewer characters: the limit is the bytes the setting stores.
    std::string path = "/media/";
    while (path.size() + 2 <= 256)
        path += "\xC3\xA9";  // "é" in the file system's UTF-8
    path.resize(256, 'x');
    ASSERT_LT(platform::utf8ToCp1252(path).size(), 200u);
    folders_.choice = path;
    box_.answer(ui::kIdYes);
    window_->onCommand(ids::kSelectFolder, ui::Notify::Clicked, 0);
    ASSERT_EQ(box_.calls.size(), 2u);
    EXPECT_EQ(box_.calls[1].text,
              "The folder path you selected is too long. Please select a folder with a shorter "
              "path.");
    EXPECT_EQ(box_.calls[1].caption, "Change Folder Path");
    EXPECT_EQ(box_.calls[1].flags, ui::mb::kOk | ui::mb::kIconExclamation);
    EXPECT_FALSE(agent_->settings.readValue(kSettingsKey, "FolderPath")) << "nothing saved";
    EXPECT_FALSE(window_->quitRequested());

    // One byte less fits, and the next start uses it whole.
    path.pop_back();
    folders_.choice = path;
    box_.answer(ui::kIdYes);
    window_->onCommand(ids::kSelectFolder, ui::Notify::Clicked, 0);
    ASSERT_EQ(box_.calls.size(), 4u);
    EXPECT_EQ(box_.calls[3].caption, "Folder Successfully Set");
    EXPECT_TRUE(window_->quitRequested());
    start();
    EXPECT_EQ(agent_->appState.downloadBase, path);
    EXPECT_EQ(view().text(ids::kFolderPath), platform::utf8ToCp1252(path));
}

TEST_F(MainWindowTest, OpenFileFolderFallsBackToTheDownloadBase)
{
    logInAs("pilot@tovrin.example", "skylane182");
    start();
    const std::string base = agent_->appState.downloadBase;
    shell_.accept = false;
    window_->onCommand(ids::kOpenFileFolder, ui::Notify::Clicked, 0);
    EXPECT_THAT(shell_.opened, ElementsAre(base + "/VarnelPurchase/tovrin", base));
}

TEST_F(MainWindowTest, LegacyOwnedProductShowsTheLegacyPicture)
{
    logInAs("pilot@tovrin.example", "skylane182");
    start();
    clickRow("* Classic Trainer 1998");
    EXPECT_EQ(view().text(ids::kProductTitle), "Classic Trainer 1998");
    EXPECT_EQ(view().text(ids::kAddToCart), "Add to Cart");
    EXPECT_EQ(requestsFor("/legacy.jpg"), 1);
}

// Pictures of the window as a customer sees it (kept in QK_SCREENSHOT_DIR when set), and
// every control inside the window, none cut off at its edge.
TEST_F(MainWindowTest, OwnedSaleAndBundleViewsFitTheWindow)
{
    logInAs("pilot@tovrin.example", "skylane182");
    start();
    view().show();
    QApplication::processEvents();
    auto* dialog = dynamic_cast<ui::QtDialog*>(dialogs_.real(ids::kMainWindowId));
    ASSERT_NE(dialog, nullptr);
    const QRect inside = dialog->qtWidget()->rect();
    for (const ui::ControlSpec& control : ids::mainWindowResource().controls) {
        const QWidget* widget = dialog->control(control.id);
        ASSERT_NE(widget, nullptr) << control.id;
        EXPECT_TRUE(inside.contains(widget->geometry())) << control.id;
    }

    const char* kept = std::getenv("QK_SCREENSHOT_DIR");
    const std::filesystem::path folder = kept ? std::filesystem::path(kept) : store_.stateDir();
    const auto grab = [&](const char* name) {
        QApplication::processEvents();
        const auto path = folder / name;
        expectTextsFit(*dialog, ids::mainWindowResource());
        EXPECT_TRUE(ui::grabToPng(*dialog, path.string())) << name;
        EXPECT_GT(std::filesystem::file_size(path), 10000u) << name;
    };
    grab("main_owned.png");
    clickRow("Piper Cub Classic");
    EXPECT_EQ(view().text(ids::kPriceNote), "This product is on sale! Now: $14.95 (was $19.95).");
    grab("main_sale.png");
    clickRow("Bell 206 JetRanger");
    EXPECT_EQ(view().text(ids::kBundlePricing),
              "Add Engine Sound Pack to your cart for 10% savings!");
    grab("main_bundle.png");
}

}  // namespace
}  // namespace qk::test
