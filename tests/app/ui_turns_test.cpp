// The UI thread keeps turning while the store is slow: each kind of exchange (a store
// script, a picture, the notification) waits in an event loop that paints, runs timers
// and shows a wait cursor, and ends at its deadline however the peer dribbles.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QPaintEvent>
#include <QTest>
#include <QTimer>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "app/app_state.h"
#include "app/notifications.h"
#include "app/store_pictures.h"
#include "platform/qt_exchange_wait.h"
#include "store/store_request.h"
#include "support/demo_store.h"
#include "held_exchanges.h"
#include "support/connection_acceptor.h"
#include "support/loopback_socket.h"

namespace qk::test {
namespace {

using namespace std::chrono_literals;

// Counts the turns of the UI thread's event loop while it lives: a timer that runs out
// every few milliseconds can only be seen by a thread that turns.
class Heartbeat {
public:
    Heartbeat()
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] { ++beats_; });
        timer_.start(5);
    }
    [[nodiscard]] int beats() const { return beats_; }

private:
    QTimer timer_;
    int beats_ = 0;
};

// How long the store keeps each reply back: long enough that a thread that turns beats
// many times. How short the UI thread's pauses are is bench/ui_latency.sh's measure, not
// a test's: on a loaded machine any thread waits for a core now and then.
constexpr int kStoreDelayMs = 800;
// A UI thread that turned beat more than once during a delayed exchange; one that
// waited for the network (the exchange on the UI thread) beat not at all.
constexpr int kFewestBeats = 2;

class SlowStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(store_.ok()) << store_.error();
        deployment_ = store_.deployment();
        deployment_.exchangeWait = &wait_;
        ASSERT_TRUE(store_.control("delay", std::to_string(kStoreDelayMs)));
    }

    DemoStore store_;
    platform::QtExchangeWait wait_;
    Deployment deployment_;
};

TEST_F(SlowStoreTest, EveryKindOfExchangeLeavesTheUiThreadTurning)
{
    struct Kind {
        const char* name;
        std::function<std::string()> exchange;
        std::string expectedStart;
    };
    app::AppState state;
    state.vendorId = "tovrin";
    const std::vector<Kind> kinds{
        {"store script",
         [&] {
             StoreRequest request(deployment_);
             request.secure = 1;
             request.setUrl(deployment_.storeUrl(script::kTerms));
             request.send();
             return request.reply;
         },
         "Varnel Terms of Service"},
        {"picture", [&] { return app::fetchStorePicture(deployment_, app::vendorLogoPath("tovrin")); },
         "\x89PNG"},
        {"notification",
         [&] {
             return std::to_string(app::fetchNotification(deployment_, state)) + state.notificationText;
         },
         "1"},
    };
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.name);
        Heartbeat heartbeat;
        QElapsedTimer took;
        took.start();
        const std::string reply = kind.exchange();
        EXPECT_GE(took.elapsed(), kStoreDelayMs);
        EXPECT_EQ(reply.substr(0, kind.expectedStart.size()), kind.expectedStart);
        EXPECT_GE(heartbeat.beats(), kFewestBeats);
        // The wait cursor came and went.
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }
}

// A label that remembers whether it was painted.
class PaintedLabel final : public QLabel {
public:
    std::atomic<int> paints{0};

protected:
    void paintEvent(QPaintEvent* event) override
    {
        ++paints;
        QLabel::paintEvent(event);
    }
};

TEST(ExchangeWait, StatusIsPaintedBeforeTheExchangeAndTheCursorShowsOnlyOnLongWaits)
{
    platform::QtExchangeWait wait;
    PaintedLabel status;
    status.setText("Ready");
    status.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&status));
    QApplication::processEvents();

    status.setText("Processing purchase transaction...");
    const int paintsBefore = status.paints;
    int paintsAtStart = -1;
    std::atomic<bool> cursorDuring{false};
    std::atomic<int> looks{0};
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const QCursor* cursor = QGuiApplication::overrideCursor();
        if (cursor && cursor->shape() == Qt::WaitCursor)
            cursorDuring = true;
        ++looks;
    });
    probe.start(5);
    // A long exchange: it lasts until the wait cursor was seen.
    bool cursorCame = false;
    wait.run([&] {
        paintsAtStart = status.paints;
        cursorCame = waitOn([&] { return cursorDuring.load(); });
    });
    EXPECT_GT(paintsAtStart, paintsBefore);
    EXPECT_TRUE(cursorCame);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // A short one: over once the probe has looked twice (some 10 ms), long before the
    // cursor's delay.
    cursorDuring = false;
    looks = 0;
    bool looked = false;
    wait.run([&] { looked = waitOn([&] { return looks.load() >= 2; }); });
    EXPECT_TRUE(looked);
    EXPECT_FALSE(cursorDuring.load());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(ExchangeWait, AnExceptionInTheExchangeReachesTheCallerAndTheWaitEnds)
{
    platform::QtExchangeWait wait;
    EXPECT_THROW(wait.run([] { throw std::runtime_error("no memory for the reply"); }), std::runtime_error);
    EXPECT_FALSE(wait.waiting());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// A plain-HTTP peer that answers with a long body one byte at a time, slowly enough
// never to trip the idle time-out, until the client leaves: only the deadline ends it.
class DribblingServer {
public:
    DribblingServer()
    {
        acceptor_.start([this](int client) {
            std::string request;
            net::receiveSome(client, request, acceptor_.stopping());
            net::sendAll(client, "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
            while (!acceptor_.stopping() && net::sendAll(client, "x"))
                std::this_thread::sleep_for(200ms);
            ::close(client);
        });
    }
    [[nodiscard]] int port() const { return acceptor_.port(); }

private:
    ConnectionAcceptor acceptor_;  // last: stopped before what its connections use goes
};

TEST(ExchangeDeadline, ADribblingPeerEndsAsAFailedExchangeAtTheDeadlineWhileTheWindowPaints)
{
    DribblingServer peer;
    platform::QtExchangeWait wait;
    Deployment deployment;
    deployment.storeHost = "127.0.0.1";
    deployment.storeHttpPort = peer.port();
    deployment.exchangeWait = &wait;

    // Pictures have the shorter deadline of their own.
    EXPECT_LT(StoreRequest::kPictureDeadlineSeconds, StoreRequest::kScriptDeadlineSeconds);
    StoreRequest request(deployment);
    request.secure = 0;
    request.setUrl(deployment.storeUrl("/vendors/tovrin/logo_s.png"));
    request.giveUpSeconds = 60;
    request.deadlineSeconds = 2;
    Heartbeat heartbeat;
    QElapsedTimer took;
    took.start();
    EXPECT_EQ(request.send(), StoreRequest::kSent);
    EXPECT_GE(took.elapsed(), 1900);
    EXPECT_EQ(request.replyBytes, 0);
    EXPECT_EQ(request.hasReply, 0);
    EXPECT_TRUE(request.reply.empty());
    EXPECT_GE(heartbeat.beats(), kFewestBeats);
    // The deadline ended it: the peer dribbles for hours, and the give-up time is far off.
    EXPECT_LT(took.elapsed(), 1000 * request.giveUpSeconds);
}

}  // namespace
}  // namespace qk::test
