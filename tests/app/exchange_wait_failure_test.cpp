// A store exchange that fails by an exception, or whose worker cannot even start, leaves
// the wait as it found it: no window stays inert, no wait cursor stays up, and what was
// queued for the idle loop still runs.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QTest>
#include <QTimer>

#include <pthread.h>

#include <atomic>
#include <stdexcept>
#include <system_error>
#include <thread>


#include "platform/qt_exchange_wait.h"

namespace qk::test {
namespace {

// Runs one failing exchange; checks the wait afterwards and that it still serves.
void expectTheWaitUnharmed(platform::QtExchangeWait& wait, bool& idleTaskRan)
{
    EXPECT_FALSE(wait.waiting());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return idleTaskRan; }, 5000));
    bool ran = false;
    wait.run([&] { ran = true; });
    EXPECT_TRUE(ran);
}

TEST(ExchangeWaitFailure, AnExchangeThatThrowsAfterTheWaitCursorShowedReachesTheCaller)
{
    platform::QtExchangeWait wait;
    bool idleTaskRan = false;
    bool cursorShown = false;
    std::atomic<bool> looked{false};
    // Once the wait cursor is due: a close request queued for the end of the wait.
    QTimer::singleShot(platform::QtExchangeWait::kBusyCursorDelayMs + 50, [&] {
        cursorShown = QGuiApplication::overrideCursor() != nullptr;
        wait.whenIdle([&] { idleTaskRan = true; });
        looked = true;
    });
    EXPECT_THROW(wait.run([&] {
        while (!looked)
            std::this_thread::yield();
        throw std::runtime_error("the exchange failed");
    }),
                 std::runtime_error);
    EXPECT_TRUE(cursorShown);
    expectTheWaitUnharmed(wait, idleTaskRan);
}

TEST(ExchangeWaitFailure, AWorkerThatCannotStartReachesTheCaller)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer makes its threads its own way";
#else
    platform::QtExchangeWait wait;
    bool idleTaskRan = false;
    wait.whenIdle([&] { idleTaskRan = true; });
    // A stack larger than the address space: no thread can be made.
    pthread_attr_t before;
    ASSERT_EQ(pthread_getattr_default_np(&before), 0);
    pthread_attr_t huge;
    pthread_attr_init(&huge);
    ASSERT_EQ(pthread_attr_setstacksize(&huge, std::size_t{1} << 46), 0);
    ASSERT_EQ(pthread_setattr_default_np(&huge), 0);
    bool threw = false;
    try {
        wait.run([] {});
    } catch (const std::system_error&) {
        threw = true;
    }
    ASSERT_EQ(pthread_setattr_default_np(&before), 0);
    pthread_attr_destroy(&huge);
    pthread_attr_destroy(&before);
    EXPECT_TRUE(threw);
    expectTheWaitUnharmed(wait, idleTaskRan);
#endif
}

}  // namespace
}  // namespace qk::test
