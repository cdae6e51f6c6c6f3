// Test entry point for tests that need Qt widgets: one QApplication on the offscreen
// platform for the whole run, on the tests' large screen unless the caller chose one.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

#include <cstdlib>

namespace {

// A test whose window asked the application to quit leaves that request queued, and
// once delivered it ends every later modal loop at once. Each test starts after one
// short run of the application's own loop, which takes such leftovers and resets the
// quit state.
class FreshEventLoop final : public ::testing::EmptyTestEventListener {
public:
    void OnTestStart(const ::testing::TestInfo&) override
    {
        QTimer stop;
        stop.setSingleShot(true);
        QObject::connect(&stop, &QTimer::timeout, [] { QCoreApplication::exit(0); });
        stop.start(0);
        QCoreApplication::exec();
    }
};

}  // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", QK_TEST_PLATFORM, 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshEventLoop);
    return RUN_ALL_TESTS();
}
