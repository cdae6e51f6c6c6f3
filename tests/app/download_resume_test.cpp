// Downloads that survive an interruption, seen from the main window: a partial file is
// never shown as downloaded, the next Download File continues it, a failed start leaves
// the file of before alone, and a running download keeps its controls.

#include <QApplication>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "download/download_record.h"
#include "main_window_fixture.h"
#include "support/request_log.h"
#include "support/served_file.h"

extern char** environ;

namespace qk::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr std::uint64_t kSkylaneSize = 5242880;
constexpr const char* kNotDownloaded =
    "File: Skylane182Deluxe.zip\r\nFile Size: 5.00 MB\r\nAvailable Version: 2.1\r\nStatus: Not Downloaded";

// Where the file server holds the first download: the writer's buffer (128 KiB) below
// it is on disk by then, whatever the network's chunks were.
constexpr std::uint64_t kHeldAt = 2097152;
constexpr std::uint64_t kSurelyOnDisk = kHeldAt / 2;

class DownloadResumeTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        logInAs("pilot@tovrin.example", "skylane182");
        start();
        clickRow("* Skylane 182 Deluxe");
        fs::create_directories(folder());
        store_.clearRequests();
    }

    fs::path folder() const { return fs::path(agent_->appState.downloadBase) / "VarnelPurchase" / "tovrin"; }
    fs::path file() const { return folder() / "Skylane182Deluxe.zip"; }
    fs::path part() const { return folder() / "Skylane182Deluxe.zip.part"; }
    fs::path record() const { return folder() / "Skylane182Deluxe.zip.cfg"; }

    void clickDownload() { window_->onCommand(ids::kDownloadFile, ui::Notify::Clicked, 0); }
    void clickCancel() { window_->onCommand(ids::kCancelDownload, ui::Notify::Clicked, 0); }
    std::string fileStatus() { return view().text(ids::kFileStatus); }

    // The panel as a new look at the product shows it.
    void showAgain()
    {
        clickRow("* Classic Trainer 1998");
        clickRow("* Skylane 182 Deluxe");
    }

    ::testing::AssertionResult runToTheEnd()
    {
        return runWindowUntil([this] { return !agent_->downloadDisplay.active; }, "the download on screen");
    }

    std::vector<LoggedRequest> fileRequests(std::string_view server = "file1")
    {
        return requestsMatching(store_, {.server = server});
    }

    void completeOnce()
    {
        clickDownload();
        ASSERT_TRUE(runToTheEnd());
        ASSERT_TRUE(holdsServedFile(file(), kSkylaneSize));
        showAgain();
        box_.calls.clear();
        shell_.opened.clear();
        store_.clearRequests();
    }
};

TEST_F(DownloadResumeTest, KilledMidDownloadTheNextDownloadFileContinuesToTheExactFile)
{
    // Another process downloads the file as the agent does and is killed halfway, as a
    // crash or a power cut would stop the agent: the server holds the transfer there.
    const std::string url = "http://127.0.0.1:" + std::to_string(store_.filePrimaryPort()) +
                            "/sendfile.php?id=Skylane182Deluxe.zip-etagv1-hold" + std::to_string(kHeldAt);
    const std::string target = file().string();
    std::vector<std::string> args{QK_FETCH_EXE, "--part", "2.1", url, target, "5242880"};
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = -1;
    ASSERT_EQ(posix_spawn(&child, QK_FETCH_EXE, &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    // The deadline only keeps a broken download from hanging the test.
    const auto giveUp = std::chrono::steady_clock::now() + 60s;
    while (sizeOr0(part()) < kSurelyOnDisk && ::waitpid(child, &status, WNOHANG) == 0 &&
           std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(5ms);
    ASSERT_EQ(::kill(child, SIGKILL), 0) << "the download ended before it was held";
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    const std::uintmax_t kept = sizeOr0(part());
    ASSERT_GE(kept, kSurelyOnDisk);
    ASSERT_LE(kept, kHeldAt);

    // The partial file is not the file: not downloaded, nothing to open, nothing to replace.
    showAgain();
    EXPECT_EQ(fileStatus(), kNotDownloaded);
    EXPECT_FALSE(view().isEnabled(ids::kOpenDownloadedFile));

    ASSERT_TRUE(store_.control("fileid", "-etagv1"));
    store_.clearRequests();
    clickDownload();
    EXPECT_TRUE(box_.calls.empty()) << "no File Already Exists for a partial file";
    ASSERT_TRUE(runToTheEnd());

    const auto requests = fileRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].target, "/sendfile.php?id=Skylane182Deluxe.zip-etagv1");
    EXPECT_EQ(requests[0].header("Range"), "bytes=" + std::to_string(kept) + "-");
    EXPECT_EQ(requests[0].header("If-Range"), "\"v1\"");
    EXPECT_EQ(agent_->downloadJob.bytesReceived.load(), kSkylaneSize - kept);
    EXPECT_TRUE(holdsServedFile(file(), kSkylaneSize));
    EXPECT_FALSE(fs::exists(part()));
    EXPECT_FALSE(fs::exists(folder() / "Skylane182Deluxe.zip.part.id"));
    const auto lines = download::readRecordLines(record().string());
    ASSERT_TRUE(lines);
    EXPECT_EQ((*lines)[2], "filename=Skylane182Deluxe.zip");
    EXPECT_EQ((*lines)[4], "version=2.1");
    EXPECT_EQ(shell_.opened.size(), 1u);
    EXPECT_TRUE(box_.calls.empty());
}

TEST_F(DownloadResumeTest, AfterTheLastFailureThePartStaysForTheNextDownloadFile)
{
    // Each server sends 1,000,000 bytes and breaks off: the retry continues the primary's
    // bytes (from 64 KiB before their end, compared first), then fails too.
    ASSERT_TRUE(store_.control("fileid", "-cut1000000"));
    clickDownload();
    ASSERT_TRUE(runToTheEnd());
    ASSERT_EQ(box_.calls.size(), 1u);
    EXPECT_EQ(box_.calls[0].caption, "Error");
    ASSERT_EQ(fileRequests("file2").size(), 1u);
    EXPECT_EQ(fileRequests("file2")[0].header("Range"), "bytes=934464-");
    EXPECT_EQ(sizeOr0(part()), 1934464u);
    EXPECT_FALSE(fs::exists(file()));
    EXPECT_EQ(fileStatus(), kNotDownloaded);
    EXPECT_FALSE(view().isEnabled(ids::kOpenDownloadedFile));
    EXPECT_TRUE(shell_.opened.empty());

    ASSERT_TRUE(store_.control("fileid", ""));
    store_.clearRequests();
    box_.calls.clear();
    clickDownload();
    ASSERT_TRUE(runToTheEnd());
    EXPECT_TRUE(box_.calls.empty());
    ASSERT_EQ(fileRequests().size(), 1u);
    EXPECT_EQ(fileRequests()[0].header("Range"), "bytes=1868928-");
    EXPECT_TRUE(holdsServedFile(file(), kSkylaneSize));
    EXPECT_EQ(shell_.opened.size(), 1u);
}

TEST_F(DownloadResumeTest, AFileOfAnotherSizeThanTheOrderIsNeverCompletedNorOpened)
{
    // The file servers hand out a 1000-byte file for an order of 5 MiB.
    ASSERT_TRUE(store_.control("servefile", "gen-1000"));
    clickDownload();
    ASSERT_TRUE(runToTheEnd());
    ASSERT_TRUE(store_.control("servefile", ""));
    EXPECT_EQ(fileRequests().size(), 1u);
    EXPECT_EQ(fileRequests("file2").size(), 1u);
    ASSERT_EQ(box_.calls.size(), 1u);
    EXPECT_EQ(box_.calls[0].text,
              "Error downloading file. Please try again soon or contact support if you keep getting this error.");
    EXPECT_NE(view().text(ids::kProgressText), "Download Completed");
    EXPECT_TRUE(shell_.opened.empty());
    EXPECT_FALSE(fs::exists(file()));
    EXPECT_FALSE(fs::exists(record()));
    EXPECT_EQ(fileStatus(), kNotDownloaded);
}

TEST_F(DownloadResumeTest, AStartThatFailsLeavesTheOldFileAndItsRecord)
{
    ASSERT_NO_FATAL_FAILURE(completeOnce());
    const std::string recordText = readAll(record());
    const std::string shown = fileStatus();
    ASSERT_TRUE(shown.starts_with("File: Skylane182Deluxe.zip\r\nDownloaded on: ")) << shown;

    // No file id (the store refuses the login), then no file server that serves it.
    box_.answer(ui::kIdYes);
    box_.answer(ui::kIdOk);
    agent_->session.password = "wrongpassword";
    clickDownload();
    agent_->session.password = "skylane182";
    ASSERT_TRUE(store_.control("fileid", "-404"));
    box_.answer(ui::kIdYes);
    clickDownload();
    ASSERT_TRUE(runToTheEnd());
    ASSERT_TRUE(store_.control("fileid", ""));

    ASSERT_EQ(box_.calls.size(), 4u);
    EXPECT_EQ(box_.calls[1].text,
              "There was an error initializing the download. Please try again shortly or contact support if you "
              "keep getting this error.");
    EXPECT_EQ(box_.calls[3].caption, "Error");
    EXPECT_EQ(fileRequests().size(), 1u);
    EXPECT_TRUE(holdsServedFile(file(), kSkylaneSize));
    EXPECT_EQ(readAll(record()), recordText);
    EXPECT_EQ(fileStatus(), shown);
    EXPECT_TRUE(view().isEnabled(ids::kOpenDownloadedFile));
}

TEST_F(DownloadResumeTest, ChangingTheCategoryKeepsTheRunningDownloadCancellable)
{
    ASSERT_TRUE(store_.control("fileid", "-hold0"));
    clickDownload();
    ASSERT_TRUE(agent_->downloadDisplay.active);
    for (int entry = 0; entry < view().comboCount(ids::kCategoryBox); ++entry) {
        SCOPED_TRACE(view().comboText(ids::kCategoryBox, entry));
        view().comboSetCurrent(ids::kCategoryBox, entry);
        window_->onCommand(ids::kCategoryBox, ui::Notify::SelectionChanged, 0);
        EXPECT_TRUE(view().isEnabled(ids::kCancelDownload));
        EXPECT_FALSE(view().isEnabled(ids::kDownloadFile));
        EXPECT_FALSE(view().isEnabled(ids::kOpenDownloadedFile));
    }
    clickCancel();
    ASSERT_TRUE(runToTheEnd());
    EXPECT_EQ(view().text(ids::kProgressText), "Download Canceled");
    EXPECT_FALSE(fs::exists(part()));
    EXPECT_FALSE(view().isEnabled(ids::kCancelDownload));
}

TEST_F(DownloadResumeTest, AListedFileNamedAfterAnotherFilesRecordIsRefused)
{
    // x and x.cfg in one product's list: the second would pass for x's record.
    ASSERT_NO_FATAL_FAILURE(completeOnce());
    auto& product = agent_->currentProduct;
    product.multiFile = true;
    product.fileList = {{"Skylane182Deluxe.zip", "5242880"}, {"Skylane182Deluxe.zip.cfg", "100"}};
    product.selectedFile = "Skylane182Deluxe.zip.cfg";
    view().setEnabled(ids::kDownloadFile, true);
    clickDownload();
    ASSERT_EQ(box_.calls.size(), 1u);
    EXPECT_EQ(box_.calls[0].text,
              "There was an error initializing the download. Please try again shortly or contact support if you "
              "keep getting this error.");
    EXPECT_TRUE(store_.requests().empty());

    // Nor is the record opened as that file.
    box_.calls.clear();
    window_->onCommand(ids::kOpenDownloadedFile, ui::Notify::Clicked, 0);
    EXPECT_TRUE(shell_.opened.empty());
    ASSERT_EQ(box_.calls.size(), 1u);
    EXPECT_EQ(box_.calls[0].text,
              "There was an error locating the product download. Please re-download the software.");
}

}  // namespace
}  // namespace qk::test
