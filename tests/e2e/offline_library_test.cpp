// The library without the store: the program as the entry point composes it, first online
// on the demo store with a saved login (which keeps the copy), then started again with the
// store out of reach. The customer sees his library from the copy and opens a file he
// downloaded; the store coming back brings the normal window; Logout and another
// account's login leave no copy to show.

#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QWidget>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/agent.h"
#include "app/agent_program.h"
#include "app/main_window.h"
#include "app/offline_window.h"
#include "e2e/customer_window.h"
#include "platform/settings_store.h"
#include "store/credentials.h"
#include "support/connection_acceptor.h"
#include "support/demo_store.h"
#include "support/loopback_socket.h"
#include "support/recording_shell.h"
#include "support/refusing_port.h"
#include "support/temp_folder.h"
#include "ui/message_box.h"
#include "ui/qt_window_provider.h"
#include "ui/resources/login_dialog.h"
#include "ui/resources/main_window.h"

namespace qk::test {
namespace {

namespace fs = std::filesystem;
namespace ids = ui::resources;

constexpr const char* kEmail = "pilot@tovrin.example";
constexpr const char* kPassword = "skylane182";
constexpr const char* kWelcome = "Welcome Alex Pilot";
constexpr const char* kOwnedRow = "* Skylane 182 Deluxe";
constexpr const char* kOwnedFile = "Skylane182Deluxe.zip";
constexpr const char* kNotLoggedIn =
    "We could not log you into your Varnel account. Please select the Login option in the main screen.";

// What would ask the store: never usable offline.
constexpr int kStoreControls[] = {ids::kLogin,     ids::kLogout,   ids::kEditAccount,
                                  ids::kApplyCoupon, ids::kAddToCart, ids::kCheckout,
                                  ids::kDownloadFile, ids::kUpdateAll};

// The store's script port behind a switch: while closed, each connection is dropped as
// soon as it is accepted (so no TLS handshake finishes); once opened, each is relayed to
// the demo store.
class StoreGate {
public:
    explicit StoreGate(int storePort) : storePort_(storePort)
    {
        acceptor_.start([this](int client) { serve(client); });
    }

    [[nodiscard]] int port() const { return acceptor_.port(); }
    [[nodiscard]] int dropped() const { return dropped_.load(); }
    void open() { open_.store(true); }
    void close() { open_.store(false); }

private:
    void serve(int client)
    {
        if (!open_.load()) {
            dropped_.fetch_add(1);
            ::close(client);
            return;
        }
        const int store = net::connectTo("127.0.0.1", storePort_);
        pollfd ends[2] = {{client, POLLIN, 0}, {store, POLLIN, 0}};
        char buffer[16384];
        while (store >= 0 && !acceptor_.stopping().load()) {
            if (::poll(ends, 2, 50) <= 0)
                continue;
            const int from = (ends[0].revents != 0) ? 0 : 1;
            const long n = ::recv(ends[from].fd, buffer, sizeof buffer, 0);
            if (n <= 0 || !net::sendAll(ends[1 - from].fd, buffer, static_cast<std::size_t>(n)))
                break;
        }
        if (store >= 0)
            ::close(store);
        ::close(client);
    }

    int storePort_;
    std::atomic<bool> open_{false};
    std::atomic<int> dropped_{0};
    ConnectionAcceptor acceptor_;
};

class OfflineLibraryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(store_.ok()) << store_.error();
        ASSERT_TRUE(store_.control("notification", "off"));
        saveLogin(kEmail, kPassword);
    }

    void TearDown() override { program_.reset(); }

    Deployment online() const { return store_.deployment(settings_.path()); }
    // The store out of reach: both of its ports refuse every connection.
    Deployment unreachable() const
    {
        Deployment deployment = online();
        deployment.storeHttpsPort = refusing_.port();
        deployment.storeHttpPort = refusing_.port();
        return deployment;
    }

    void saveLogin(const char* email, const char* password)
    {
        Session session;
        session.email = email;
        session.password = password;
        SettingsStore settings(settings_.path());
        ASSERT_EQ(saveCredentials(settings, session), 1);
    }

    void start(const Deployment& deployment)
    {
        program_.reset();
        program_ = std::make_unique<app::AgentProgram>(deployment, app::ServiceOverrides{&shell_});
        ASSERT_TRUE(program_->start());
    }

    QWidget& main()
    {
        auto* provider = dynamic_cast<ui::QtWindowProvider*>(&program_->window().view());
        return *provider->qtWidget();
    }

    fs::path copyFolder() const { return settings_.path() / "library-copy"; }
    fs::path downloadFolder() const { return online().appDataDir / "VarnelPurchase" / "tovrin"; }

    // Online with the saved login: the library shows and its copy is kept.
    void runOnline()
    {
        start(online());
        ASSERT_TRUE(waitFor([&] { return seen(main(), ids::kStatusText) == kWelcome && !rows(main(), ids::kProductList).empty(); }));
        ASSERT_TRUE(fs::exists(copyFolder() / "library"));
        // Seen once online, its picture is kept with the copy.
        clickRow(main(), ids::kProductList, kOwnedRow);
        ASSERT_TRUE(waitFor([&] { return program_->window().view().hasPicture(ids::kPictureFrame); }));
    }

    void grab(const char* name)
    {
        if (const char* folder = std::getenv("QK_OFFLINE_GRABS"))
            main().grab().save(QString::fromStdString((fs::path(folder) / name).string()), "PNG");
    }

    DemoStore store_;
    TempFolder settings_;
    RefusingPort refusing_;
    RecordingShell shell_;
    ModalWindows windows_;
    std::unique_ptr<app::AgentProgram> program_;
};

TEST_F(OfflineLibraryTest, StartWithoutTheStoreShowsTheKeptLibraryAndOpensItsFiles)
{
    runOnline();
    const auto onlineRows = rows(main(), ids::kProductList);
    program_.reset();

    // A file the customer downloaded last week, with its record.
    fs::create_directories(downloadFolder());
    std::ofstream(downloadFolder() / kOwnedFile) << "installer";
    std::ofstream(downloadFolder() / (std::string(kOwnedFile) + ".cfg"))
        << "vnproduct=" << kOwnedFile << "\r\nvnproductid=tov-1001\r\nfilename=" << kOwnedFile
        << "\r\ndate=Wed Dec  2 10:00:00 2026\r\nversion=1.0\r\n";

    start(unreachable());
    QWidget& window = main();
    ASSERT_TRUE(waitFor([&] { return seen(window, ids::kStatusText).starts_with("The store could not be reached."); }));
    EXPECT_EQ(rows(window, ids::kProductList), onlineRows) << "the owned rows first, as online";
    EXPECT_EQ(entries(window, ids::kCategoryBox).front(), "All Categories");
    for (const int id : kStoreControls)
        EXPECT_FALSE(enabled(window, id)) << "control " << id;
    EXPECT_TRUE(windows_.allMet()) << "no message at an offline start";

    clickRow(window, ids::kProductList, kOwnedRow);
    ASSERT_TRUE(waitFor([&] { return enabled(window, ids::kOpenDownloadedFile); }));
    EXPECT_TRUE(seen(window, ids::kFileStatus).find("Version Downloaded: 1.0") != std::string::npos);
    EXPECT_TRUE(program_->window().view().hasPicture(ids::kPictureFrame)) << "the picture kept with the copy";
    EXPECT_FALSE(enabled(window, ids::kDownloadFile));
    EXPECT_TRUE(enabled(window, ids::kOpenFileFolder));
    grab("offline_window.png");
    click(window, ids::kOpenDownloadedFile);
    ASSERT_FALSE(shell_.opened.empty());
    EXPECT_EQ(fs::path(shell_.opened.back()), downloadFolder() / kOwnedFile);
}

TEST_F(OfflineLibraryTest, AStoreThatNeverFinishesItsHandshakeIsOutOfReachAfterTheConnectTime)
{
    runOnline();
    program_.reset();

    // Connections are taken into the listening queue but never answered.
    int silentPort = 0;
    const int silent = net::listenLoopback(silentPort);
    ASSERT_GE(silent, 0);
    Deployment deployment = unreachable();
    deployment.storeHttpsPort = silentPort;
    deployment.storeConnectSeconds = 1;
    start(deployment);
    EXPECT_TRUE(waitFor([&] { return seen(main(), ids::kStatusText).starts_with("The store could not be reached."); }));
    ::close(silent);
}

TEST_F(OfflineLibraryTest, TheStoreComingBackBringsTheNormalWindowAndRenewsTheCopy)
{
    runOnline();
    program_.reset();
    const auto keptAt = fs::last_write_time(copyFolder() / "library");

    StoreGate gate(store_.httpsPort());
    Deployment deployment = online();
    deployment.storeHttpsPort = gate.port();
    deployment.offlineRetryFirstMs = 20;
    deployment.offlineRetryLongestMs = 40;
    start(deployment);
    QWidget& window = main();
    ASSERT_TRUE(waitFor([&] { return seen(window, ids::kStatusText).starts_with("The store could not be reached."); }));
    // The start-up's login and at least one try in the background found no store.
    ASSERT_TRUE(waitFor([&] { return gate.dropped() >= 3; }));
    EXPECT_TRUE(seen(window, ids::kStatusText).starts_with("The store could not be reached."));

    gate.open();
    ASSERT_TRUE(waitFor([&] { return seen(window, ids::kStatusText) == kWelcome; }));
    EXPECT_FALSE(enabled(window, ids::kLogin));
    EXPECT_TRUE(enabled(window, ids::kLogout));
    EXPECT_TRUE(enabled(window, ids::kEditAccount));
    EXPECT_EQ(rows(window, ids::kProductList).front().front(), kOwnedRow);
    clickRow(window, ids::kProductList, kOwnedRow);
    EXPECT_TRUE(waitFor([&] { return enabled(window, ids::kDownloadFile); }));
    EXPECT_NE(fs::last_write_time(copyFolder() / "library"), keptAt) << "the copy renewed";
    grab("back_online.png");
}

TEST_F(OfflineLibraryTest, ALaterRefreshWithoutTheStoreKeepsTheWindowAsItWas)
{
    StoreGate gate(store_.httpsPort());
    gate.open();
    Deployment deployment = online();
    deployment.storeHttpsPort = gate.port();
    start(deployment);
    QWidget& window = main();
    ASSERT_TRUE(waitFor([&] { return seen(window, ids::kStatusText) == kWelcome && !rows(window, ids::kProductList).empty(); }));
    const auto shownRows = rows(window, ids::kProductList);

    gate.close();
    program_->window().refreshStore();  // as after a checkout
    EXPECT_EQ(rows(window, ids::kProductList), shownRows);
    EXPECT_EQ(seen(window, ids::kStatusText), kWelcome);
    // The orders the window showed are still there to download from.
    clickRow(window, ids::kProductList, "* Classic Trainer 1998");
    clickRow(window, ids::kProductList, kOwnedRow);
    EXPECT_TRUE(waitFor([&] { return enabled(window, ids::kDownloadFile); })) << "still owned";
    EXPECT_TRUE(windows_.allMet());
}

TEST_F(OfflineLibraryTest, LogoutRemovesTheCopy)
{
    runOnline();
    windows_.expect("Logout Confirmation", answerBox(app::kLogoutQuestion, ui::kIdYes));
    windows_.expect("Log in to your Varnel Acount...", [](QWidget& login) { click(login, ids::kLoginCancel); });
    windows_.expect("Error", answerBox(kNotLoggedIn, ui::kIdOk));
    click(main(), ids::kLogout);
    ASSERT_TRUE(windows_.allMet()) << "still expected: " << windows_.stillExpected();
    EXPECT_FALSE(fs::exists(copyFolder()));
}

TEST_F(OfflineLibraryTest, AnotherAccountsCopyIsNeitherShownNorKept)
{
    runOnline();
    program_.reset();
    saveLogin("newbie@tovrin.example", "firstflight");

    windows_.expect("Error", answerBox(kNotLoggedIn, ui::kIdOk));
    start(unreachable());
    ASSERT_TRUE(waitFor([&] { return windows_.allMet(); })) << "still expected: " << windows_.stillExpected();
    EXPECT_TRUE(rows(main(), ids::kProductList).empty());
    EXPECT_EQ(seen(main(), ids::kStatusText), "You are not logged in.");
    EXPECT_FALSE(fs::exists(copyFolder()));
}

}  // namespace
}  // namespace qk::test
