// A deployment whose file servers are https://: with the primary down, the window's one
// retry fetches the file from the secondary over TLS, verified with the deployment's CA
// file. The real window (offscreen), engine and demo store.

#include <QApplication>

#include <chrono>
#include <filesystem>

#include "main_window_fixture.h"
#include "support/request_log.h"
#include "support/served_file.h"

namespace qk::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr std::uint64_t kSkylaneSize = 5242880;

class HttpsDownloadWindowTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        if (HasFatalFailure())
            return;
        logInAs("pilot@tovrin.example", "skylane182");
        agent_->deployment.filePrimary = "https://127.0.0.1:" + std::to_string(store_.filePrimaryTlsPort());
        agent_->deployment.fileSecondary = "https://127.0.0.1:" + std::to_string(store_.fileSecondaryTlsPort());
    }

    fs::path downloaded() const
    {
        return fs::path(agent_->appState.downloadBase) / "VarnelPurchase" / "tovrin" / "Skylane182Deluxe.zip";
    }

    ::testing::AssertionResult downloadToTheEnd()
    {
        window_->onCommand(ids::kDownloadFile, ui::Notify::Clicked, 0);
        return runWindowUntil([this] { return !agent_->downloadDisplay.active; }, "the download on screen");
    }

    std::vector<LoggedRequest> requestsOn(std::string_view server) { return requestsMatching(store_, {.server = server}); }
};

TEST_F(HttpsDownloadWindowTest, WithTheTlsPrimaryDownTheRetryGoesToTheTlsSecondary)
{
    start();
    clickRow("* Skylane 182 Deluxe");
    ASSERT_TRUE(store_.control("primary", "down"));
    store_.clearRequests();
    const bool ended = downloadToTheEnd();
    ASSERT_TRUE(store_.control("primary", "up"));
    ASSERT_TRUE(ended);
    EXPECT_TRUE(box_.calls.empty()) << box_.calls.front().text;
    const auto fromSecondary = requestsOn("file2tls");
    ASSERT_EQ(fromSecondary.size(), 1u);
    EXPECT_EQ(fromSecondary[0].target, "/sendfile.php?id=Skylane182Deluxe.zip");
    EXPECT_EQ(fromSecondary[0].header("Range"), "bytes=0-");
    EXPECT_TRUE(requestsOn("file1").empty() && requestsOn("file2").empty()) << "never a plain-HTTP port";
    EXPECT_TRUE(holdsServedFile(downloaded(), kSkylaneSize));
}

}  // namespace
}  // namespace qk::test
