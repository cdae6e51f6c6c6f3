// Nothing of the agent runs inside a store exchange's wait: a tick, a posted click, a
// close request or a first paint waits until the exchange is over, so no second
// exchange starts inside the first and no flow sees its state change under it. And
// the main window is on screen before the store's first reply.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/agent.h"
#include "app/main_window.h"
#include "app_fakes.h"
#include "held_exchanges.h"
#include "main_window_fixture.h"
#include "platform/qt_exchange_wait.h"
#include "platform/quit_signals.h"
#include "support/demo_store.h"
#include "support/request_log.h"
#include "support/scripted_message_box.h"
#include "support/served_file.h"
#include "ui/engine/recording_handler.h"
#include "ui/engine/test_dialog.h"
#include "ui/qt_dialog.h"
#include "ui/qt_dialog_factory.h"

namespace qk::test {
namespace {

// Counts paints of top-level windows while it lives; `onFirst` runs at the first.
class WindowPaints final : public QObject {
public:
    WindowPaints() { qApp->installEventFilter(this); }
    ~WindowPaints() override { qApp->removeEventFilter(this); }
    int count = 0;
    std::function<void()> onFirst;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Paint && widget && widget->isWindow() && ++count == 1 && onFirst)
            onFirst();
        return false;
    }
};

// Counts the times a timer of `periodMs` ran out since start(): a timer of the same
// period started earlier was due at least as often by then.
class Periods {
public:
    explicit Periods(int periodMs) { timer_.setInterval(periodMs); }
    // `then` runs once, on the UI thread, after `count` periods.
    void start(int count, std::function<void()> then)
    {
        QObject::connect(&timer_, &QTimer::timeout, [this, count, then = std::move(then)] {
            if (++elapsed_ == count) {
                timer_.stop();
                then();
            }
        });
        timer_.start();
    }

private:
    QTimer timer_;
    int elapsed_ = 0;
};

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
    const std::size_t ticksBefore = handler.ticks.size();

    // Inside the wait: a click that got past the platform's queue, and the close box;
    // three periods of the dialog's timer later, a look at what reached the handler, and
    // only then the exchange ends.
    Gate gate;
    gate.close();
    std::size_t ticksDuring = 0;
    std::size_t commandsDuring = 0;
    QTimer::singleShot(0, [&] {
        auto* button = qobject_cast<QAbstractButton*>(dialog.control(kButton));
        QMetaObject::invokeMethod(button, [button] { button->click(); }, Qt::QueuedConnection);
        dialog.qtWidget()->close();
    });
    Periods periods(20);
    periods.start(3, [&] {
        ticksDuring = handler.ticks.size();
        commandsDuring = handler.commands.size();
        gate.open();
    });
    wait.run([&] { gate.passWhenOpen(); });

    EXPECT_EQ(ticksDuring, ticksBefore);
    EXPECT_EQ(commandsDuring, 0U);
    // The close request acts once the exchange is over; the posted click never does,
    // and the timer ticks again.
    ASSERT_TRUE(QTest::qWaitFor([&] { return handler.ticks.size() >= ticksBefore + 2; }, 60000));
    EXPECT_EQ(handler.commands, (std::vector<RecordedCommand>{{ui::kCancelCommand, ui::Notify::Clicked, 0}}));
}

TEST(ExchangeGate, ADialogDestroyedDuringTheWaitGetsNeitherItsCloseNorItsFirstPaint)
{
    platform::QtExchangeWait wait;
    RecordingHandler handler;
    auto dialog = std::make_unique<ui::QtDialog>(testDialogResource(), handler, nullptr, &wait);
    WindowPaints paints;
    Gate gate;
    gate.close();
    bool idleTasksRan = false;
    // Inside the wait the dialog shows (its first paint waits), its close box is
    // pressed, and its flow ends it; the exchange ends after that.
    QTimer::singleShot(0, [&] {
        dialog->show();
        dialog->qtWidget()->close();
    });
    QTimer destroyOnceDrawn;
    QObject::connect(&destroyOnceDrawn, &QTimer::timeout, [&] {
        if (paints.count == 0)
            return;
        destroyOnceDrawn.stop();
        dialog.reset();
        wait.whenIdle([&] { idleTasksRan = true; });  // after what the dialog left behind
        gate.open();
    });
    destroyOnceDrawn.start(1);
    wait.run([&] { gate.passWhenOpen(); });

    ASSERT_EQ(dialog, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return idleTasksRan; }, 60000));
    EXPECT_EQ(handler.firstPaints, 0);
    EXPECT_TRUE(handler.commands.empty());
}

TEST(QuitSignals, TheSystemsQuitRequestArrivesOnTheUiThreadEvenDuringAnExchange)
{
    platform::QtExchangeWait wait;
    std::atomic<int> quits{0};
    bool waitingWhenAsked = false;
    {
        const platform::QuitSignals quitSignals([&] {
            ++quits;
            waitingWhenAsked = wait.waiting();
        });
        // The exchange lasts until the UI thread has taken the request.
        bool taken = false;
        wait.run([&] {
            std::raise(SIGTERM);
            taken = waitOn([&] { return quits.load() == 1; });
        });
        EXPECT_TRUE(taken);
        EXPECT_EQ(quits.load(), 1);
        EXPECT_TRUE(waitingWhenAsked);
        std::raise(SIGHUP);
        EXPECT_TRUE(QTest::qWaitFor([&] { return quits.load() == 2; }, 60000));
    }
}

// The real main window on the demo store, its exchanges held open while the test looks,
// its dialogs kept out of the exchanges.
class HeldWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(store_.ok()) << store_.error();
        Deployment deployment = store_.deployment();
        deployment.exchangeWait = &held_;
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
    HeldExchanges held_{wait_};
    ui::QtDialogFactory dialogs_{&wait_};
    ScriptedMessageBox box_;
    RecordingShell shell_;
    FakeClipboard clipboard_;
    FakeFolderBrowser folders_;
    std::unique_ptr<app::Agent> agent_;
    std::unique_ptr<app::MainWindow> window_;
};

TEST_F(HeldWindowTest, TheWindowIsUpBeforeTheFirstReplyAndFillsInInOrder)
{
    // The first exchange ends only once a window was painted.
    held_.hold();
    WindowPaints paints;
    int repliesAtFirstPaint = -1;
    paints.onFirst = [&] {
        repliesAtFirstPaint = held_.ended();
        held_.release();
    };
    window_->createShown();

    EXPECT_EQ(repliesAtFirstPaint, 0);
    // Purchases, catalog, the first product's picture and the logo, each in turn; the
    // notification after them.
    EXPECT_EQ(held_.ended(), 4);
    EXPECT_FALSE(window_->quitRequested());
    EXPECT_EQ(dialog().text(ids::kStatusText), "Welcome Alex Pilot");
    EXPECT_GT(dialog().listRowCount(ids::kProductList), 10);
    // The first paint came during the start-up; the notification is asked for once the
    // event loop turns after it.
    EXPECT_TRUE(QTest::qWaitFor([&] { return store_.requests().size() >= 5; }, 60000));
    const auto log = store_.requests();
    ASSERT_EQ(log.size(), 5U);
    EXPECT_NE(log[0].body.find("action=getpurchases"), std::string::npos);
    EXPECT_NE(log[1].body.find("action=catalog"), std::string::npos);
    EXPECT_EQ(log[2].target, "/vendors/tovrin/tov-1001/product_main.jpg");
    EXPECT_EQ(log[3].target, "/vendors/tovrin/logo_s.png");
    EXPECT_NE(log[4].body.find("action=qknotify"), std::string::npos);
}

TEST_F(HeldWindowTest, AQuitDuringTheStartUpEndsItAfterTheExchangeUnderWay)
{
    // As the system's quit request (SIGTERM) arrives, during the purchases exchange.
    held_.hold();
    bool waitingAtQuit = false;
    held_.duringNext([&] {
        waitingAtQuit = wait_.waiting();
        window_->onCommand(ui::kCancelCommand, ui::Notify::Clicked, 0);
        held_.release();
    });
    window_->createShown();
    EXPECT_TRUE(waitingAtQuit);
    EXPECT_TRUE(window_->quitRequested());
    EXPECT_EQ(held_.begun(), 1) << "no exchange after the quit";
    const auto log = store_.requests();
    ASSERT_EQ(log.size(), 1U);
    EXPECT_NE(log[0].body.find("action=getpurchases"), std::string::npos);
}

TEST_F(HeldWindowTest, AClickOrACloseDuringAnExchangeStartsNothingAndTheCloseEndsTheProgramAfterIt)
{
    window_->createShown();
    ASSERT_FALSE(window_->quitRequested());
    clickListRow(*window_, dialog(), "* Skylane 182 Deluxe");
    // A download that is still running when the program ends (5 MiB at 256 KiB/s).
    ASSERT_TRUE(store_.control("fileid", "-rate256"));
    store_.clearRequests();

    // Inside the file-id exchange: two clicks that got past the platform's queue and the
    // close box; the exchange ends after the clicks had their turn.
    held_.hold();
    bool waitingAtProbe = false;
    held_.duringNext([&] {
        waitingAtProbe = wait_.waiting();
        for (const int id : {ids::kApplyCoupon, ids::kDownloadFile}) {
            auto* button = qobject_cast<QAbstractButton*>(dialog().control(id));
            QMetaObject::invokeMethod(button, [button] { button->click(); }, Qt::QueuedConnection);
        }
        dialog().qtWidget()->close();
        QMetaObject::invokeMethod(qApp, [this] { held_.release(); }, Qt::QueuedConnection);
    });
    qobject_cast<QAbstractButton*>(dialog().control(ids::kDownloadFile))->click();

    EXPECT_TRUE(waitingAtProbe);
    // The close box is a quit, recorded at once; the program ends after the exchange.
    EXPECT_TRUE(window_->quitRequested());
    EXPECT_TRUE(agent_->downloadDisplay.active);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window_->quitRequested(); }, 60000));
    EXPECT_EQ(requestsFor("/vngetfile.asp"), 1);
    EXPECT_EQ(requestsFor("/vncoupon1.asp"), 0);
    EXPECT_TRUE(box_.calls.empty());

    // The program's end, with the download running: the worker stops and is joined
    // rather than waited for to the file's end.
    const auto folder = agent_->deployment.appDataDir / "VarnelPurchase" / "tovrin";
    window_.reset();
    agent_.reset();
    EXPECT_FALSE(std::filesystem::exists(folder / "Skylane182Deluxe.zip"));
    EXPECT_LT(sizeOr0(folder / "Skylane182Deluxe.zip.part"), 5242880U);
}

}  // namespace
}  // namespace qk::test
