// Nothing of the agent runs inside a store exchange's wait: a tick, a posted click, a
// close request or a first paint waits until the exchange is over, so no second
// exchange starts inside the first and no flow sees its state change under it. And
// the main window is on screen before the store's first reply.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <csignal>
#include <thread>

#include "app/agent.h"
#include "app/main_window.h"
#include "app_fakes.h"
#include "main_window_fixture.h"
#include "platform/qt_exchange_wait.h"
#include "platform/quit_signals.h"
#include "support/demo_store.h"
#include "support/scripted_message_box.h"
#include "ui/engine/recording_handler.h"
#include "ui/engine/test_dialog.h"
#include "ui/qt_dialog.h"
#include "ui/qt_dialog_factory.h"

namespace qk::test {
namespace {

using namespace std::chrono_literals;

TEST(ExchangeGate, HandlersWaitForTheExchangeToEnd)
{
    platform::QtExchangeWait wait;
    RecordingHandler handler;
    ui::QtDialog dialog(testDialogResource(), handler, nullptr, &wait);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.qtWidget()));
    QApplication::processEvents();
    ASSERT_EQ(handler.firstPaints, 1);
    dialog.startTimer(7, 20);

    std::size_t ticksDuring = 0;
    std::size_t commandsDuring = 0;
    QTimer::singleShot(50, [&] {
        ticksDuring = handler.ticks.size();
        // A click that got past the platform's queue, and the close box.
        auto* button = qobject_cast<QAbstractButton*>(dialog.control(kButton));
        QMetaObject::invokeMethod(button, [button] { button->click(); }, Qt::QueuedConnection);
        dialog.qtWidget()->close();
    });
    QTimer::singleShot(250, [&] { commandsDuring = handler.commands.size(); });
    const std::size_t ticksBefore = handler.ticks.size();
    wait.run([] { std::this_thread::sleep_for(400ms); });

    EXPECT_EQ(ticksDuring, ticksBefore);
    EXPECT_EQ(commandsDuring, 0U);
    EXPECT_EQ(handler.ticks.size(), ticksBefore);
    QTest::qWait(100);
    // The close request acts once the exchange is over; the posted click never does,
    // and the timer ticks again.
    EXPECT_EQ(handler.commands, (std::vector<RecordedCommand>{{ui::kCancelCommand, ui::Notify::Clicked, 0}}));
    EXPECT_GT(handler.ticks.size(), ticksBefore);
}

TEST(QuitSignals, TheSystemsQuitRequestArrivesOnTheUiThreadEvenDuringAnExchange)
{
    platform::QtExchangeWait wait;
    int quits = 0;
    bool waitingWhenAsked = false;
    {
        const platform::QuitSignals quitSignals([&] {
            ++quits;
            waitingWhenAsked = wait.waiting();
        });
        wait.run([] {
            std::raise(SIGTERM);
            std::this_thread::sleep_for(200ms);
        });
        EXPECT_EQ(quits, 1);
        EXPECT_TRUE(waitingWhenAsked);
        std::raise(SIGHUP);
        QTest::qWait(50);
        EXPECT_EQ(quits, 2);
    }
}

// The real main window on a slow demo store, its dialogs kept out of the exchanges.
class SlowWindowTest : public ::testing::Test {
protected:
    static constexpr int kDelayMs = 700;

    void SetUp() override
    {
        ASSERT_TRUE(store_.ok()) << store_.error();
        Deployment deployment = store_.deployment();
        deployment.exchangeWait = &wait_;
        agent_ = std::make_unique<app::Agent>(deployment,
                                              app::Services{dialogs_, box_.function(), shell_, clipboard_, folders_});
        agent_->session.email = "pilot@tovrin.example";
        agent_->session.password = "skylane182";
        window_ = std::make_unique<app::MainWindow>(*agent_);
    }

    ui::QtDialog& dialog() { return dynamic_cast<ui::QtDialog&>(window_->view()); }

    int requestsFor(const std::string& target)
    {
        return static_cast<int>(requestsMatching(store_, {.target = target}).size());
    }

    DemoStore store_;
    platform::QtExchangeWait wait_;
    ui::QtDialogFactory dialogs_{&wait_};
    ScriptedMessageBox box_;
    RecordingShell shell_;
    FakeClipboard clipboard_;
    FakeFolderBrowser folders_;
    std::unique_ptr<app::Agent> agent_;
    std::unique_ptr<app::MainWindow> window_;
};

// Records when the first top-level window was painted.
class FirstWindowPaint final : public QObject {
public:
    explicit FirstWindowPaint(const QElapsedTimer& clock) : clock_(clock) { qApp->installEventFilter(this); }
    ~FirstWindowPaint() override { qApp->removeEventFilter(this); }
    qint64 atMs = -1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (atMs < 0 && event->type() == QEvent::Paint && widget && widget->isWindow())
            atMs = clock_.elapsed();
        return false;
    }

private:
    const QElapsedTimer& clock_;
};

TEST_F(SlowWindowTest, TheWindowIsUpBeforeTheFirstReplyAndFillsInInOrder)
{
    ASSERT_TRUE(store_.control("delay", std::to_string(kDelayMs)));
    QElapsedTimer clock;
    clock.start();
    FirstWindowPaint paint(clock);
    window_->createShown();
    const qint64 startUpMs = clock.elapsed();

    ASSERT_GE(paint.atMs, 0);
    EXPECT_LT(paint.atMs, kDelayMs);
    // Purchases, catalog, the first product's picture and the logo, each late; the
    // notification after them.
    EXPECT_GE(startUpMs, 4 * kDelayMs);
    EXPECT_FALSE(window_->quitRequested());
    EXPECT_EQ(dialog().text(ids::kStatusText), "Welcome Alex Pilot");
    EXPECT_GT(dialog().listRowCount(ids::kProductList), 10);
    // The first paint came during the start-up; the notification is asked for once the
    // event loop turns after it.
    EXPECT_TRUE(QTest::qWaitFor([&] { return store_.requests().size() >= 5; }, 5000));
    const auto log = store_.requests();
    ASSERT_EQ(log.size(), 5U);
    EXPECT_NE(log[0].body.find("action=getpurchases"), std::string::npos);
    EXPECT_NE(log[1].body.find("action=catalog"), std::string::npos);
    EXPECT_EQ(log[2].target, "/vendors/tovrin/tov-1001/product_main.jpg");
    EXPECT_EQ(log[3].target, "/vendors/tovrin/logo_s.png");
    EXPECT_NE(log[4].body.find("action=qknotify"), std::string::npos);
}

TEST_F(SlowWindowTest, AQuitDuringTheStartUpEndsItAfterTheExchangeUnderWay)
{
    ASSERT_TRUE(store_.control("delay", std::to_string(kDelayMs)));
    // As the system's quit request (SIGTERM) arrives, during the purchases exchange.
    QTimer::singleShot(200, [&] { window_->onCommand(ui::kCancelCommand, ui::Notify::Clicked, 0); });
    QElapsedTimer clock;
    clock.start();
    window_->createShown();
    EXPECT_TRUE(window_->quitRequested());
    EXPECT_LT(clock.elapsed(), 2 * kDelayMs);
    const auto log = store_.requests();
    ASSERT_EQ(log.size(), 1U);
    EXPECT_NE(log[0].body.find("action=getpurchases"), std::string::npos);
}

TEST_F(SlowWindowTest, AClickOrACloseDuringAnExchangeStartsNothingAndTheCloseEndsTheProgramAfterIt)
{
    window_->createShown();
    ASSERT_FALSE(window_->quitRequested());
    clickListRow(*window_, dialog(), "* Skylane 182 Deluxe");
    // A download that is still running when the program ends.
    ASSERT_TRUE(store_.control("fileid", "-rate256"));
    ASSERT_TRUE(store_.control("delay", std::to_string(kDelayMs) + ":/vngetfile.asp"));
    store_.clearRequests();

    bool waitingAtProbe = false;
    QTimer::singleShot(200, [&] {
        waitingAtProbe = wait_.waiting();
        for (const int id : {ids::kApplyCoupon, ids::kDownloadFile}) {
            auto* button = qobject_cast<QAbstractButton*>(dialog().control(id));
            QMetaObject::invokeMethod(button, [button] { button->click(); }, Qt::QueuedConnection);
        }
        dialog().qtWidget()->close();
    });
    qobject_cast<QAbstractButton*>(dialog().control(ids::kDownloadFile))->click();

    EXPECT_TRUE(waitingAtProbe);
    // The close box is a quit, recorded at once; the program ends after the exchange.
    EXPECT_TRUE(window_->quitRequested());
    EXPECT_TRUE(agent_->downloadDisplay.active);
    QTest::qWait(100);
    EXPECT_TRUE(window_->quitRequested());
    EXPECT_EQ(requestsFor("/vngetfile.asp"), 1);
    EXPECT_EQ(requestsFor("/vncoupon1.asp"), 0);
    EXPECT_TRUE(box_.calls.empty());

    // The program's end, with the download running: the worker stops and is joined.
    QElapsedTimer ending;
    ending.start();
    window_.reset();
    agent_.reset();
    EXPECT_LT(ending.elapsed(), 5000);
}

}  // namespace
}  // namespace qk::test
