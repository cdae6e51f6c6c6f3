// The job and its worker thread: start codes, staging, cancel and the lock.
// These also run under ThreadSanitizer.

#include "download/progress_text.h"
#include "download/transfer.h"
#include "download_fixture.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

namespace qk::download {
namespace {

using namespace qk::download::testing;
using namespace std::chrono_literals;

constexpr const char* kSentinel = "Error: earlier text";

// A loopback port that accepts connections (into its backlog) and never answers.
class SilentServer {
public:
    SilentServer()
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
            ::listen(fd_, 4) == 0 && ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            port_ = ntohs(address.sin_port);
    }
    ~SilentServer() { ::close(fd_); }
    [[nodiscard]] std::string url() const
    {
        return "http://127.0.0.1:" + std::to_string(port_) + "/sendfile.php?id=silent";
    }
    [[nodiscard]] int port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
};

// Waits for the worker to leave; the job's own destructor would too, but the tests
// look at the final state.
void finish(DownloadJob& job)
{
    if (job.worker.joinable())
        job.worker.join();
}

TEST(StartDownload, RefusesBadPreconditionsWithoutTouchingTheText)
{
    ScratchFolder folder;
    DownloadJob job;
    setProgressText(job, kSentinel);
    const std::string dir = folder.path().string();
    const RefusingPort refusing;
    const std::string url = "http://127.0.0.1:" + std::to_string(refusing.port()) + "/sendfile.php?id=x";

    EXPECT_EQ(startDownload(job, false, dir, url, "file.bin", 10), -1);
    EXPECT_EQ(startDownload(job, true, dir, url, "a.z", 10), -1);
    EXPECT_EQ(startDownload(job, true, dir, "htt", "file.bin", 10), -1);
    EXPECT_EQ(startDownload(job, true, "/tm", url, "file.bin", 10), -1);
    // Longer than the worker's 255-character fields: refused rather than cut to another name.
    EXPECT_EQ(startDownload(job, true, dir, url, std::string(300, 'n'), 10), -1);
    EXPECT_EQ(startDownload(job, true, dir, url + std::string(300, 'q'), "file.bin", 10), -1);

    // A name from the store that would leave the folder.
    const std::vector<std::string> badNames = {"../escape.bin", "sub/file.bin", "..", "c:file.bin", "a\\b.bin",
                                               std::string("nul\0.bin", 8)};
    for (const std::string& bad : badNames) {
        EXPECT_EQ(startDownload(job, true, dir, url, bad, 10), -1) << bad;
    }
    EXPECT_FALSE(fs::exists(folder.path().parent_path() / "escape.bin"));

    std::string text;
    EXPECT_FALSE(readProgress(job, text));
    EXPECT_EQ(text, kSentinel);
    EXPECT_FALSE(job.worker.joinable()) << "no worker was started";

    // Four characters is enough; the worker then fails to connect (nothing listens on port 1).
    ASSERT_EQ(startDownload(job, true, dir, url, "ab.z", 10), 1);
    finish(job);
    readProgress(job, text);
    EXPECT_EQ(text, "7 Error: Could not connect to host name");
    EXPECT_EQ(job.localPath.str(), dir + "/ab.z");
}

TEST(StartDownload, StagesOnePathWithOrWithoutTrailingSeparator)
{
    EXPECT_EQ(joinDownloadPath("/home/u/VarnelPurchase/tovrin", "setup.exe"),
              "/home/u/VarnelPurchase/tovrin/setup.exe");
    EXPECT_EQ(joinDownloadPath("/home/u/VarnelPurchase/tovrin/", "setup.exe"),
              "/home/u/VarnelPurchase/tovrin/setup.exe");

    ScratchFolder folder;
    DownloadJob job;
    const RefusingPort refusing;
    const std::string url = "http://127.0.0.1:" + std::to_string(refusing.port()) + "/sendfile.php?id=x";
    ASSERT_EQ(startDownload(job, true, folder.path().string(), url, "one.bin", 0), 1);
    finish(job);
    const std::string first = job.stagedPath;
    ASSERT_EQ(startDownload(job, true, folder.path().string() + "/", url, "one.bin", 0), 1);
    finish(job);
    EXPECT_EQ(job.stagedPath, first);
    EXPECT_EQ(job.localPath.str(), first);
}

TEST(StartDownload, ExistingFileIsDeletedOrTheStartRefused)
{
    ScratchFolder folder;
    DownloadJob job;
    setProgressText(job, kSentinel);
    const RefusingPort refusing;
    const std::string url = "http://127.0.0.1:" + std::to_string(refusing.port()) + "/sendfile.php?id=x";

    // Something at the path that cannot be deleted (root may delete read-only files,
    // but not a folder with content).
    fs::create_directories(folder / "stuck.bin" / "inside");
    EXPECT_EQ(startDownload(job, true, folder.path().string(), url, "stuck.bin", 10), -2);
    std::string text;
    EXPECT_FALSE(readProgress(job, text));
    EXPECT_EQ(text, kSentinel) << "the text does not change before the deletion is known to work";

    // Only files are replaced: a pipe (or a device) at the name is left alone.
    ASSERT_EQ(::mkfifo((folder / "pipe.bin").c_str(), 0600), 0);
    EXPECT_EQ(startDownload(job, true, folder.path().string(), url, "pipe.bin", 10), -2);
    EXPECT_TRUE(fs::is_fifo(folder / "pipe.bin"));

    writeFile(folder / "old.bin", "stale bytes");
    ASSERT_EQ(startDownload(job, true, folder.path().string(), url, "old.bin", 10), 1);
    finish(job);
    EXPECT_EQ(fs::file_size(folder / "old.bin"), 0u) << "a new download starts from an empty file";
}

TEST(StartDownload, SecondStartWhileRunningChangesNothing)
{
    ScratchFolder folder;
    SilentServer silent;
    ASSERT_NE(silent.port(), 0);
    const auto started = std::chrono::steady_clock::now();
    {
        DownloadJob job;
        ASSERT_EQ(startDownload(job, true, folder.path().string(), silent.url(), "first.bin", 10), 1);
        std::string text;
        EXPECT_TRUE(readProgress(job, text));
        EXPECT_EQ(text, "0|0|0|0|Pending");

        const RefusingPort refusing;
        const std::string other = "http://127.0.0.1:" + std::to_string(refusing.port()) + "/other";
        EXPECT_EQ(startDownload(job, true, folder.path().string(), other, "second.bin", 5), 0);
        EXPECT_EQ(job.stagedPath, (folder / "first.bin").string());
        EXPECT_EQ(job.expectedSize, 10u);
        EXPECT_FALSE(fs::exists(folder / "second.bin"));

        // Cancel alone cannot stop a worker that waits for headers; leaving the scope
        // must still join it promptly.
        cancelDownload(job);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s) << "the job's end waited for the 30 s time-out";
}

class JobWithStoreTest : public StoreSuite {};

TEST_F(JobWithStoreTest, CancelRightAfterStartEndsAfterOnePass)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        DownloadJob job;
        const std::string name = "cancel" + std::to_string(attempt) + ".bin";
        ASSERT_EQ(startDownload(job, true, folder_.path().string(), fileUrl(*store_, "gen-5000000"), name, 5000000), 1);
        cancelDownload(job);
        finish(job);

        std::string text;
        EXPECT_FALSE(readProgress(job, text));
        const auto fields = splitBars(text);
        if (fields.size() == 5) {
            EXPECT_EQ(fields[4], "Canceled") << text;
            EXPECT_LE(fs::file_size(folder_ / name), kReadSize) << "at most one read is written after a cancel";
            EXPECT_TRUE(isGeneratedPrefix(folder_ / name));
        } else {
            ASSERT_EQ(fields.size(), 1u) << text;
            EXPECT_NE(text.find("Error"), std::string::npos) << text;
        }
    }
}

TEST_F(JobWithStoreTest, ReaderNeverSeesATornText)
{
    DownloadJob job;
    ASSERT_EQ(startDownload(job, true, folder_.path().string(), fileUrl(*store_, "gen-33554432"), "big.bin", 0), 1);

    std::string text;
    int downloading = 0;
    bool running = true;
    while (running) {
        running = readProgress(job, text);
        if (text == kPendingText)
            continue;
        const auto fields = splitBars(text);
        ASSERT_EQ(fields.size(), 5u) << text;
        char* end = nullptr;
        const double percent = std::strtod(fields[0].c_str(), &end);
        ASSERT_EQ(*end, '\0') << text;
        ASSERT_TRUE(percent >= 0.0 && percent <= 100.0) << text;
        ASSERT_EQ(fields[0].size() - fields[0].find('.'), 9u) << text;
        ASSERT_EQ(fields[1], "33554432") << text;
        ASSERT_TRUE(fields[2].ends_with("/sec")) << text;
        ASSERT_TRUE(fields[3].ends_with(" Sec")) << text;
        ASSERT_EQ(fields[3].find('-'), std::string::npos) << text;
        if (fields[4] == "Downloading")
            ++downloading;
        else
            ASSERT_EQ(fields[4], "Completed") << text;
    }
    finish(job);
    readProgress(job, text);
    EXPECT_EQ(splitBars(text).back(), "Completed") << text;
    EXPECT_EQ(readResultMessage(job), "Data has been downloaded");
    EXPECT_EQ(fs::file_size(folder_ / "big.bin"), 33554432u);
    EXPECT_GT(downloading, 0) << "the reader ran alongside the worker";
    RecordProperty("downloading_texts_seen", downloading);
}

TEST_F(JobWithStoreTest, ClosingTheAgentMidTransferKeepsEveryReceivedByte)
{
    // The server sends 300000 bytes and then nothing: they sit in the write buffer
    // (1 MiB) when the agent closes, and must reach the disk all the same.
    const fs::path path = folder_ / "closing.bin";
    {
        DownloadJob job;
        ASSERT_EQ(startDownload(job, true, folder_.path().string(),
                                fileUrl(*store_, "gen-1000000-hold300000"), "closing.bin", 0), 1);
        std::string text;
        const auto until = std::chrono::steady_clock::now() + 20s;
        while (readProgress(job, text) && !text.starts_with("30.") && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(5ms);
        ASSERT_TRUE(text.starts_with("30.")) << text;
    }
    EXPECT_EQ(fs::file_size(path), 300000u);
    EXPECT_TRUE(isGeneratedPrefix(path));
}

}  // namespace
}  // namespace qk::download
