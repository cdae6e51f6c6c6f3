// A quit is no answer: once the agent is asked to end (the system's SIGTERM, the close
// box), no question it ended counts, nothing is written and no store request starts.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <csignal>

#include "app/agent.h"
#include "app/main_window.h"
#include "app_fakes.h"
#include "main_window_fixture.h"
#include "platform/qt_exchange_wait.h"
#include "platform/quit_request.h"
#include "platform/quit_signals.h"
#include "store/credentials.h"
#include "support/demo_store.h"
#include "support/scripted_message_box.h"
#include "support/scripted_qt_dialogs.h"
#include "ui/message_box/agent_message_box.h"
#include "ui/qt_dialog_factory.h"
#include "ui/resources/cart_dialog.h"
#include "ui/resources/checkout_dialog.h"

namespace qk::test {
namespace {

// The main window on the demo store with the program's own exchange wait and quit.
class QuitTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(store_.ok()) << store_.error(); }

    void build(ui::DialogFactory& dialogs, ui::MessageBoxFunction box)
    {
        Deployment deployment = store_.deployment();
        deployment.exchangeWait = &wait_;
        deployment.quit = &quit_;
        agent_ = std::make_unique<app::Agent>(deployment, app::Services{dialogs, std::move(box), shell_, clipboard_, folders_});
        agent_->session.email = "pilot@tovrin.example";
        agent_->session.password = "skylane182";
        window_ = std::make_unique<app::MainWindow>(*agent_);
    }

    // As the entry point does with the system's quit request.
    void quitAsTheSystemDoes() { window_->onCommand(ui::kCancelCommand, ui::Notify::Clicked, 0); }

    DemoStore store_;
    platform::QtExchangeWait wait_;
    platform::QuitRequest quit_;
    RecordingShell shell_;
    FakeClipboard clipboard_;
    FakeFolderBrowser folders_;
    std::unique_ptr<app::Agent> agent_;
    std::unique_ptr<app::MainWindow> window_;
};

TEST_F(QuitTest, SigtermWithTheLogoutQuestionOpenKeepsTheSavedLoginAndSendsNothing)
{
    CancellingDialogFactory dialogs;
    ui::AgentMessageBox box(nullptr, "qk-agent", {.quitting = [this] { return quit_.asked(); }});
    build(dialogs, box.function());
    ASSERT_EQ(saveCredentials(agent_->settings, agent_->session), 1);
    window_->create();
    ASSERT_EQ(window_->view().text(ids::kStatusText), "Welcome Alex Pilot");
    const platform::QuitSignals quitSignals([this] { quitAsTheSystemDoes(); });

    // The session ends while "Logout Confirmation" waits for the customer.
    bool questionShown = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!questionShown && QApplication::activeModalWidget() != nullptr) {
            questionShown = true;
            std::raise(SIGTERM);
        }
    });
    poll.start(20);
    store_.clearRequests();
    window_->onCommand(ids::kLogout, ui::Notify::Clicked, 0);
    poll.stop();

    EXPECT_TRUE(questionShown);
    EXPECT_TRUE(window_->quitRequested());
    EXPECT_TRUE(store_.requests().empty());
    EXPECT_EQ(window_->view().text(ids::kStatusText), "Welcome Alex Pilot");
    SettingsStore settings(agent_->deployment.settingsDir);
    Session saved;
    EXPECT_EQ(loadCredentials(settings, saved), 1);
    EXPECT_EQ(saved.email, "pilot@tovrin.example");
}

TEST_F(QuitTest, AQuitDuringAPurchaseSendsNothingAfterItAndTellsTheOutcomeOnStandardError)
{
    ScriptedQtDialogs dialogs;
    ScriptedMessageBox box;
    build(dialogs, box.function());
    window_->create();
    clickListRow(*window_, dynamic_cast<ui::QtDialog&>(window_->view()), "Night Lighting");
    window_->onCommand(ids::kAddToCart, ui::Notify::Clicked, 0);
    ASSERT_TRUE(store_.control("delay", "1000:/cgi-bin/vnprocess1.asp"));
    dialogs.script(ids::kCartDialogId, {[](ui::QtDialog& d) { click(d, ids::kCartProceed); }});
    dialogs.script(ids::kCheckoutDialogId, {[this](ui::QtDialog& d) {
                                                type(d, ids::kCardNumber, "4111111111111111");
                                                type(d, ids::kCardCode, "123");
                                                // Asked while the store is still charging the card.
                                                QTimer::singleShot(200, [this] { quitAsTheSystemDoes(); });
                                                click(d, ids::kPurchaseWithCard);
                                            }});
    box.calls.clear();
    store_.clearRequests();
    testing::internal::CaptureStderr();
    window_->onCommand(ids::kCheckout, ui::Notify::Clicked, 0);
    const std::string told = testing::internal::GetCapturedStderr();

    EXPECT_TRUE(window_->quitRequested());
    const auto log = store_.requests();
    ASSERT_EQ(log.size(), 1U);
    EXPECT_EQ(log[0].target, "/cgi-bin/vnprocess1.asp");
    EXPECT_TRUE(box.calls.empty());
    EXPECT_NE(told.find("qk-agent: the purchase was approved after the agent was asked to end; order number "),
              std::string::npos)
        << told;
}

TEST_F(QuitTest, TheCloseBoxDuringASlowStartUpIsRecordedAtOnceAndNoNotificationFollows)
{
    ui::QtDialogFactory dialogs(&wait_);
    ScriptedMessageBox box;
    build(dialogs, box.function());
    ASSERT_TRUE(store_.control("delay", "700"));
    bool recordedAtOnce = false;
    QTimer::singleShot(200, [&] {
        if (auto* provider = dynamic_cast<ui::QtWindowProvider*>(&window_->view()))
            provider->qtWidget()->close();
        recordedAtOnce = window_->quitRequested();
    });
    window_->createShown();
    // The window's first paint and whatever else was queued meanwhile.
    QApplication::sendPostedEvents();
    QApplication::processEvents();

    EXPECT_TRUE(recordedAtOnce);
    const auto log = store_.requests();
    ASSERT_EQ(log.size(), 1U);
    EXPECT_NE(log[0].body.find("action=getpurchases"), std::string::npos);
    EXPECT_TRUE(box.calls.empty());
}

}  // namespace
}  // namespace qk::test
