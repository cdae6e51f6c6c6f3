// Downloads from the main window: the real window (offscreen), the real engine and the
// demo store on loopback, from the Download File click to the opened file.

#include <QApplication>
#include <QElapsedTimer>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "download/download_display.h"
#include "download/download_record.h"
#include "main_window_fixture.h"
#include "support/served_file.h"
#include "ui/resources/login_dialog.h"

namespace qk::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using namespace std::chrono_literals;

constexpr std::uint64_t kSkylaneSize = 5242880;

class DownloadWindowTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        logInAs("pilot@tovrin.example", "skylane182");
    }

    // The window with `row` shown; the request log starts empty.
    void startOn(const std::string& row)
    {
        start();
        clickRow(row);
        store_.clearRequests();
    }

    fs::path folder() const
    {
        return fs::path(agent_->appState.downloadBase) / "VarnelPurchase" / "tovrin";
    }

    void clickDownload() { window_->onCommand(ids::kDownloadFile, ui::Notify::Clicked, 0); }
    void clickCancel() { window_->onCommand(ids::kCancelDownload, ui::Notify::Clicked, 0); }
    void tick() { window_->onTimer(ids::kProgressTimer); }
    [[nodiscard]] bool onScreen() const { return agent_->downloadDisplay.active; }

    // Waits for the worker to end, without ticks: the display has not seen the end yet.
    ::testing::AssertionResult waitForWorker()
    {
        const auto until = std::chrono::steady_clock::now() + 30s;
        std::string text;
        while (download::readProgress(agent_->downloadJob, text)) {
            if (std::chrono::steady_clock::now() > until)
                return ::testing::AssertionFailure() << "the worker still runs: " << text;
            std::this_thread::sleep_for(2ms);
        }
        return ::testing::AssertionSuccess();
    }

    // Lets the window's own 500 ms timer drive the display until the download is off screen.
    ::testing::AssertionResult runToTheEnd()
    {
        return runWindowUntil([this] { return !agent_->downloadDisplay.active; }, "the download on screen");
    }

    std::vector<LoggedRequest> requestsOn(const std::string& server, const std::string& prefix = "")
    {
        return requestsMatching(store_, {.server = server, .targetPrefix = prefix});
    }

    std::vector<std::string> messages() const
    {
        std::vector<std::string> texts;
        for (const auto& call : box_.calls)
            texts.push_back(call.text);
        return texts;
    }

    std::string fileStatus() { return view().text(ids::kFileStatus); }
};

TEST_F(DownloadWindowTest, CompletedDownloadIsRecordedShownAndOnlyThenOpened)
{
    startOn("* Skylane 182 Deluxe");
    ASSERT_TRUE(view().isEnabled(ids::kDownloadFile));
    ASSERT_EQ(fileStatus(),
              "File: Skylane182Deluxe.zip\r\nFile Size: 5.00 MB\r\nAvailable Version: 2.1\r\n"
              "Status: Not Downloaded");
    const fs::path file = folder() / "Skylane182Deluxe.zip";
    const fs::path record = folder() / "Skylane182Deluxe.zip.cfg";
    bool recordedAtOpen = false;
    shell_.onOpen = [&](const std::string&) { recordedAtOpen = fs::exists(record); };

    clickDownload();
    const auto fileIds = requestsOn("https", "/vngetfile.asp");
    ASSERT_EQ(fileIds.size(), 1u);
    EXPECT_EQ(fileIds[0].body,
              "vid=tovrin&vpwd=tvS8x2Qa&login=pilot@tovrin.example&password=skylane182"
              "&pid=tov-1001&version=2.11&qk=2");
    EXPECT_EQ(fileStatus(), "File: Skylane182Deluxe.zip\r\nFile Size: 5.00 MB");
    EXPECT_FALSE(view().isEnabled(ids::kDownloadFile));
    EXPECT_TRUE(view().isEnabled(ids::kCancelDownload));
    EXPECT_FALSE(view().isEnabled(ids::kOpenDownloadedFile));
    EXPECT_FALSE(view().isEnabled(ids::kProductList));
    EXPECT_TRUE(view().isEnabled(ids::kDownloadProgress));

    ASSERT_TRUE(waitForWorker());
    tick();  // sees "Completed": shown and recorded, not opened
    EXPECT_EQ(view().text(ids::kProgressText), "Download Completed");
    EXPECT_EQ(view().progressValue(ids::kDownloadProgress), 100);
    EXPECT_TRUE(shell_.opened.empty());
    const auto lines = download::readRecordLines(record.string());
    ASSERT_TRUE(lines);
    EXPECT_EQ((*lines)[0], "vnproduct=Skylane 182 Deluxe");
    EXPECT_EQ((*lines)[1], "vnproductid=tov-1001");
    EXPECT_EQ((*lines)[2], "filename=Skylane182Deluxe.zip");
    EXPECT_EQ((*lines)[4], "version=2.1");

    tick();  // the final step
    EXPECT_THAT(shell_.opened, ElementsAre(file.string()));
    EXPECT_TRUE(recordedAtOpen);
    EXPECT_TRUE(holdsServedFile(file, kSkylaneSize));
    EXPECT_EQ(fileStatus(), "File: Skylane182Deluxe.zip\r\nDownloaded on: " +
                                std::string(download::recordValue((*lines)[3])) +
                                "\r\nVersion Downloaded: 2.1\r\nAvailable Version: 2.1");
    EXPECT_TRUE(view().isEnabled(ids::kOpenDownloadedFile));
    EXPECT_TRUE(view().isEnabled(ids::kProductList));
    EXPECT_TRUE(view().isEnabled(ids::kOpenFileFolder));
    EXPECT_FALSE(view().isEnabled(ids::kDownloadFile));
    EXPECT_FALSE(view().isEnabled(ids::kCancelDownload));
    EXPECT_FALSE(view().isEnabled(ids::kDownloadProgress));
    EXPECT_EQ(view().progressValue(ids::kDownloadProgress), 0);
    EXPECT_TRUE(box_.calls.empty());

    tick();  // nothing left to do
    EXPECT_EQ(shell_.opened.size(), 1u);

    // Another product does not inherit the finished download's progress row.
    clickRow("* Classic Trainer 1998");
    EXPECT_EQ(view().text(ids::kProgressText), "Download Progress");
    EXPECT_TRUE(view().isEnabled(ids::kDownloadFile));
}

TEST_F(DownloadWindowTest, ProgressShowsPercentAmountSpeedAndTimeInAnyLocale)
{
    startOn("* Skylane 182 Deluxe");
    // Hold the transfer at its first byte so that the display's texts are the test's.
    ASSERT_TRUE(store_.control("fileid", "-hold0"));
    clickDownload();
    auto& job = agent_->downloadJob;
    ASSERT_TRUE(onScreen());

    download::setProgressText(job, "42,12345678|5242880|228.41 KB/sec|2 Min 5 Sec|Downloading");
    tick();
    EXPECT_EQ(view().progressValue(ids::kDownloadProgress), 42);
    EXPECT_EQ(view().text(ids::kProgressText),
              "Remaining: 2 Min 5 Sec (2.09 MB of 5.00 MB) 228.41 KB/sec");

    // Neither a pending text nor a short one changes what is shown.
    download::setProgressText(job, "0|0|0|0|Pending");
    tick();
    download::setProgressText(job, "1|2|3");
    tick();
    EXPECT_EQ(view().progressValue(ids::kDownloadProgress), 42);
    EXPECT_EQ(view().text(ids::kProgressText),
              "Remaining: 2 Min 5 Sec (2.09 MB of 5.00 MB) 228.41 KB/sec");

    clickCancel();
    ASSERT_TRUE(runToTheEnd());
}

TEST(ProgressPercent, LeadingIntegerIgnoresTheLocalesSeparator)
{
    EXPECT_EQ(download::leadingInteger("42,12345678"), 42);
    EXPECT_EQ(download::leadingInteger("42.99999999"), 42);
    EXPECT_EQ(download::leadingInteger("100.00000000"), 100);
    EXPECT_EQ(download::leadingInteger(""), 0);
    EXPECT_EQ(download::leadingInteger("x1"), 0);
}

TEST_F(DownloadWindowTest, CancelDeletesThePartialFileAndLeavesItNotDownloaded)
{
    startOn("* Skylane 182 Deluxe");
    // The server sends 100000 bytes, then waits: the cancel meets a transfer under way.
    ASSERT_TRUE(store_.control("fileid", "-hold100000"));
    clickDownload();
    const fs::path file = folder() / "Skylane182Deluxe.zip";
    std::string text;
    for (int i = 0; i < 2000 && download::readProgress(agent_->downloadJob, text) &&
                    !text.ends_with("|Downloading");
         ++i)
        std::this_thread::sleep_for(5ms);
    ASSERT_TRUE(text.ends_with("|Downloading")) << text;
    clickCancel();
    ASSERT_TRUE(runToTheEnd());

    EXPECT_EQ(view().text(ids::kProgressText), "Download Canceled");
    EXPECT_FALSE(fs::exists(file));
    EXPECT_FALSE(fs::exists(folder() / "Skylane182Deluxe.zip.cfg"));
    EXPECT_EQ(fileStatus(),
              "File: Skylane182Deluxe.zip\r\nFile Size: 5.00 MB\r\nAvailable Version: 2.1\r\n"
              "Status: Not Downloaded");
    EXPECT_TRUE(view().isEnabled(ids::kDownloadFile));
    EXPECT_FALSE(view().isEnabled(ids::kCancelDownload));
    EXPECT_FALSE(view().isEnabled(ids::kOpenDownloadedFile));
    EXPECT_TRUE(view().isEnabled(ids::kProductList));
    EXPECT_EQ(view().progressValue(ids::kDownloadProgress), 0);
    EXPECT_TRUE(shell_.opened.empty());
    EXPECT_TRUE(box_.calls.empty());
    EXPECT_TRUE(requestsOn("file2").empty()) << "a cancelled download is not retried";
}

TEST_F(DownloadWindowTest, CancelBeforeAnyByteIsNoFailureAndNoRetry)
{
    startOn("* Skylane 182 Deluxe");
    agent_->downloadJob.receiveTimeoutSeconds = 1;
    ASSERT_TRUE(store_.control("fileid", "-stall3000"));
    clickDownload();
    clickCancel();
    ASSERT_TRUE(runToTheEnd());
    EXPECT_TRUE(box_.calls.empty());
    EXPECT_TRUE(requestsOn("file2").empty());
    EXPECT_EQ(view().text(ids::kProgressText), "Download Canceled");
    EXPECT_FALSE(fs::exists(folder() / "Skylane182Deluxe.zip"));
    EXPECT_TRUE(view().isEnabled(ids::kDownloadFile));
}

TEST_F(DownloadWindowTest, PrimaryFailureIsRetriedOnceOnTheSecondaryWithoutAsking)
{
    startOn("* Skylane 182 Deluxe");
    // A partial file from an earlier attempt: the retry must not ask about it either.
    fs::create_directories(folder());
    ASSERT_TRUE(store_.control("primary", "down"));
    clickDownload();
    ASSERT_TRUE(runToTheEnd());
    ASSERT_TRUE(store_.control("primary", "up"));

    EXPECT_TRUE(box_.calls.empty());
    EXPECT_EQ(requestsOn("https", "/vngetfile.asp").size(), 1u) << "the retry keeps the file id";
    const auto fromSecondary = requestsOn("file2");
    ASSERT_EQ(fromSecondary.size(), 1u);
    EXPECT_EQ(fromSecondary[0].target, "/sendfile.php?id=Skylane182Deluxe.zip");
    EXPECT_EQ(fromSecondary[0].header("Range"), "bytes=0-");
    EXPECT_TRUE(holdsServedFile(folder() / "Skylane182Deluxe.zip", kSkylaneSize));
    EXPECT_EQ(shell_.opened.size(), 1u);
    EXPECT_EQ(agent_->downloadDisplay.retryStage, 0) << "a completion resets the retry";
}

TEST_F(DownloadWindowTest, SecondFailureShowsTheMessageOnceAndRetriesNoMore)
{
    startOn("* Skylane 182 Deluxe");
    ASSERT_TRUE(store_.control("fileid", "-500"));
    clickDownload();
    ASSERT_TRUE(runToTheEnd());

    ASSERT_EQ(box_.calls.size(), 1u);
    EXPECT_EQ(box_.calls[0].text,
              "Error downloading file. Please try again soon or contact support if you keep "
              "getting this error.");
    EXPECT_EQ(box_.calls[0].caption, "Error");
    EXPECT_EQ(box_.calls[0].flags, ui::mb::kIconExclamation);
    EXPECT_EQ(requestsOn("file1").size(), 1u);
    EXPECT_EQ(requestsOn("file2").size(), 1u);
    EXPECT_EQ(requestsOn("https", "/vngetfile.asp").size(), 1u);
    EXPECT_EQ(agent_->downloadDisplay.retryStage, 2);
    EXPECT_TRUE(view().isEnabled(ids::kProductList));
    EXPECT_TRUE(view().isEnabled(ids::kDownloadFile));
    EXPECT_FALSE(view().isEnabled(ids::kCancelDownload));
    EXPECT_TRUE(shell_.opened.empty());
    EXPECT_FALSE(fs::exists(folder() / "Skylane182Deluxe.zip")) << "no cut-off file is left to look downloaded";
    EXPECT_TRUE(fileStatus().ends_with("Status: Not Downloaded")) << fileStatus();

    // The next click starts afresh on the primary, and is retried again.
    ASSERT_TRUE(store_.control("fileid", ""));
    ASSERT_TRUE(store_.control("primary", "down"));
    store_.clearRequests();
    clickDownload();
    ASSERT_TRUE(runToTheEnd());
    ASSERT_TRUE(store_.control("primary", "up"));
    EXPECT_EQ(requestsOn("file2").size(), 1u);
    EXPECT_TRUE(holdsServedFile(folder() / "Skylane182Deluxe.zip", kSkylaneSize));
}

TEST_F(DownloadWindowTest, SecondFileOfAMultiFileProductIsAskedForAsPidColonOne)
{
    startOn("* Grand Canyon HD");
    view().comboSetCurrent(ids::kFileBox, 2);
    window_->onCommand(ids::kFileBox, ui::Notify::SelectionChanged, 0);
    ASSERT_EQ(view().text(ids::kFileStatusWithBox),
              "File Size: 2.00 MB\r\nAvailable Version: 3.0\r\nStatus: Not Downloaded");
    clickDownload();
    EXPECT_FALSE(view().isEnabled(ids::kFileBox)) << "the file cannot change under a download";
    const auto fileIds = requestsOn("https", "/vngetfile.asp");
    ASSERT_EQ(fileIds.size(), 1u);
    EXPECT_NE(fileIds[0].body.find("&pid=tov-1011:1&version=2.11&qk=2"), std::string::npos) << fileIds[0].body;
    EXPECT_EQ(view().text(ids::kFileStatusWithBox), "GrandCanyonPart2.zip\r\nFile Size: 2.00 MB");
    ASSERT_TRUE(runToTheEnd());

    EXPECT_TRUE(holdsServedFile(folder() / "GrandCanyonPart2.zip", 2097152));
    EXPECT_TRUE(fs::exists(folder() / "GrandCanyonPart2.zip.cfg"));
    EXPECT_TRUE(view().isVisible(ids::kFileStatusWithBox));
    EXPECT_FALSE(view().isVisible(ids::kFileStatus));
    EXPECT_TRUE(view().text(ids::kFileStatusWithBox).starts_with("Downloaded on: "));
    EXPECT_TRUE(view().isEnabled(ids::kFileBox));
}

TEST_F(DownloadWindowTest, PostProcessingRunsFirstAndItsFailureOnlyWarns)
{
    startOn("* Airliner 737 Professional");
    clickDownload();
    ASSERT_TRUE(runToTheEnd());
    auto secure = requestsOn("https");
    ASSERT_EQ(secure.size(), 2u);
    EXPECT_EQ(secure[0].target, "/vendorscripts/tovrin/postprocess.asp");
    EXPECT_EQ(secure[0].body,
              "action=postprocess&email=pilot@tovrin.example&password=skylane182&vendorid=tovrin"
              "&ordernum=700105&productid=tov-1012&data=TOV-700105-AX&version=2.11&qk=2");
    EXPECT_EQ(secure[1].target, "/vngetfile.asp");
    EXPECT_TRUE(box_.calls.empty());

    ASSERT_TRUE(store_.control("postprocess", "fail"));
    box_.answer(ui::kIdYes);  // replace the file downloaded above
    // Download File comes back when the product is shown again.
    clickRow("* Skylane 182 Deluxe");
    clickRow("* Airliner 737 Professional");
    ASSERT_TRUE(view().isEnabled(ids::kDownloadFile));
    clickDownload();
    ASSERT_TRUE(runToTheEnd());
    ASSERT_GE(box_.calls.size(), 1u);
    EXPECT_EQ(box_.calls[0].text,
              "You are about to start the download but there was a potential error during "
              "communications to the server.If you have problems running your application, please "
              "contact support.\r\n\r\nThe download will now continue as normal...");
    EXPECT_EQ(box_.calls[0].caption, "Important Information");
    EXPECT_EQ(box_.calls[0].flags, ui::mb::kIconExclamation);
    ASSERT_EQ(box_.calls.size(), 2u);
    EXPECT_EQ(box_.calls[1].caption, "File Already Exists");
    EXPECT_TRUE(holdsServedFile(folder() / "Airliner737Pro.zip", 8388608));
}

TEST_F(DownloadWindowTest, UnusableLoginSkipsPostProcessingWarnsAndGoesOnToTheLogin)
{
    startOn("* Airliner 737 Professional");
    agent_->session.password = "short";
    clickDownload();
    EXPECT_TRUE(requestsOn("https", "/vendorscripts/").empty()) << "nothing is sent without a usable login";
    ASSERT_EQ(box_.calls.size(), 2u);
    EXPECT_EQ(box_.calls[0].caption, "Important Information");
    // The start went on: the file id wants a login, and the customer closed the dialog.
    EXPECT_THAT(dialogs_.modalRuns, ElementsAre(ui::resources::kLoginDialogId));
    EXPECT_EQ(box_.calls[1].text,
              "There was an error initializing the download. Please try again shortly or contact "
              "support if you keep getting this error.");
    EXPECT_TRUE(requestsOn("https", "/vngetfile.asp").empty());
    EXPECT_FALSE(onScreen());
}

TEST_F(DownloadWindowTest, ExistingFileIsReplacedOnlyOnYesAndFetchedFromByteZero)
{
    startOn("* Skylane 182 Deluxe");
    fs::create_directories(folder());
    const fs::path file = folder() / "Skylane182Deluxe.zip";
    std::ofstream(file, std::ios::binary) << std::string(1000, 'x');

    box_.answer(ui::kIdNo);
    clickDownload();
    ASSERT_EQ(box_.calls.size(), 1u);
    EXPECT_EQ(box_.calls[0].text,
              "The selected file already exists. Do you wish to delete the existing file and "
              "re-download?");
    EXPECT_EQ(box_.calls[0].caption, "File Already Exists");
    EXPECT_EQ(box_.calls[0].flags, ui::mb::kYesNo);
    EXPECT_TRUE(store_.requests().empty());
    EXPECT_FALSE(onScreen());
    EXPECT_EQ(fs::file_size(file), 1000u);

    box_.answer(ui::kIdYes);
    clickDownload();
    ASSERT_TRUE(runToTheEnd());
    const auto fetched = requestsOn("file1");
    ASSERT_EQ(fetched.size(), 1u);
    EXPECT_EQ(fetched[0].header("Range"), "bytes=0-");
    EXPECT_TRUE(holdsServedFile(file, kSkylaneSize));
}

TEST_F(DownloadWindowTest, AnEmptyRecordStaysANonEmptyOneGoesBeforeTheDownload)
{
    startOn("* Classic Trainer 1998");
    fs::create_directories(folder());
    const fs::path record = folder() / "ClassicTrainer1998.zip.cfg";
    ASSERT_TRUE(store_.control("fileid", "-hold0"));

    // The record goes once the new download has really started: the server's reply taken.
    const auto waitForTheReply = [this] {
        for (int i = 0; i < 2000 && !agent_->downloadJob.replyAccepted.load(); ++i)
            std::this_thread::sleep_for(5ms);
        return agent_->downloadJob.replyAccepted.load();
    };
    std::ofstream(record, std::ios::binary).flush();
    clickDownload();
    ASSERT_TRUE(waitForTheReply());
    EXPECT_TRUE(fs::exists(record));
    clickCancel();
    ASSERT_TRUE(runToTheEnd());

    // The file server keeps its reply back (far longer than the test looks): the new
    // download has not really started, and cancelled so, it leaves the record alone.
    std::ofstream(record, std::ios::binary) << "vnproduct=Classic Trainer 1998\r\n";
    ASSERT_TRUE(store_.control("fileid", "-stall120000"));
    clickDownload();
    EXPECT_TRUE(fs::exists(record)) << "kept until the download has really started";
    clickCancel();
    ASSERT_TRUE(runToTheEnd());
    EXPECT_FALSE(agent_->downloadJob.replyAccepted.load());
    EXPECT_TRUE(fs::exists(record)) << "a download cancelled before the reply";

    ASSERT_TRUE(store_.control("fileid", "-hold0"));
    clickDownload();
    ASSERT_TRUE(waitForTheReply());
    EXPECT_FALSE(fs::exists(record));
    clickCancel();
    ASSERT_TRUE(runToTheEnd());
    EXPECT_TRUE(box_.calls.empty());
}

TEST_F(DownloadWindowTest, LegacyProductDownloadsLikeAnyOtherAndFreeOnesAreServedToo)
{
    startOn("* Classic Trainer 1998");
    clickDownload();
    ASSERT_TRUE(runToTheEnd());
    EXPECT_TRUE(holdsServedFile(folder() / "ClassicTrainer1998.zip", 1048576));
    EXPECT_TRUE(fs::exists(folder() / "ClassicTrainer1998.zip.cfg"));
    EXPECT_TRUE(box_.calls.empty());

    // A free product is never listed, owned or not; the store still hands out its file.
    for (int row = 0; row < view().listRowCount(ids::kProductList); ++row)
        EXPECT_EQ(view().listCell(ids::kProductList, row, 0).find("Flight Logbook"), std::string::npos);
    std::string reply;
    ASSERT_GT(download::requestFileId(agent_->deployment, agent_->session, "tov-1007", reply, {}), 0);
    const auto fileId = download::fileIdOf(reply);
    ASSERT_TRUE(fileId) << reply;
    ASSERT_EQ(download::startDownload(agent_->downloadJob, true, folder().string(),
                                      download::fileUrl(agent_->deployment.filePrimary, *fileId),
                                      "FlightLogbook.zip", 524288),
              1);
    ASSERT_TRUE(waitForWorker());
    EXPECT_TRUE(holdsServedFile(folder() / "FlightLogbook.zip", 524288));
}

TEST_F(DownloadWindowTest, RedirectingFileServerStillGivesTheExactFile)
{
    startOn("* Skylane 182 Deluxe");
    ASSERT_TRUE(store_.control("fileid", "-redir302-redir307"));
    clickDownload();
    ASSERT_TRUE(runToTheEnd());
    EXPECT_TRUE(box_.calls.empty());
    EXPECT_EQ(requestsOn("file1").size(), 3u);
    EXPECT_TRUE(requestsOn("file2").empty());
    EXPECT_TRUE(holdsServedFile(folder() / "Skylane182Deluxe.zip", kSkylaneSize));
}

TEST_F(DownloadWindowTest, DoubleClickStartsOneDownload)
{
    startOn("* Skylane 182 Deluxe");
    clickDownload();
    view().setEnabled(ids::kDownloadFile, true);  // as a click that raced the disable
    clickDownload();
    ASSERT_TRUE(runToTheEnd());
    EXPECT_TRUE(box_.calls.empty());
    EXPECT_EQ(requestsOn("https", "/vngetfile.asp").size(), 1u);
    EXPECT_EQ(requestsOn("file1").size(), 1u);
    EXPECT_EQ(shell_.opened.size(), 1u);
    EXPECT_TRUE(holdsServedFile(folder() / "Skylane182Deluxe.zip", kSkylaneSize));
}

TEST_F(DownloadWindowTest, UnsafeStoreFileNamesGiveTheInitialisationMessage)
{
    startOn("* Skylane 182 Deluxe");
    const fs::path outside = folder().parent_path() / "evil.zip";
    for (const std::string name : {"../evil.zip", "..", "a\\b.zip", "c:evil.zip"}) {
        SCOPED_TRACE(name);
        box_.calls.clear();
        agent_->currentProduct.selectedFile = name;
        clickDownload();
        ASSERT_EQ(box_.calls.size(), 1u);
        EXPECT_EQ(box_.calls[0].text,
                  "There was an error initializing the download. Please try again shortly or "
                  "contact support if you keep getting this error.");
        EXPECT_FALSE(onScreen());
    }
    EXPECT_TRUE(store_.requests().empty());
    EXPECT_FALSE(fs::exists(outside));
}

TEST_F(DownloadWindowTest, FileIdRepliesOfOtherThanFiveFieldsStartNothing)
{
    startOn("* Skylane 182 Deluxe");
    fs::create_directories(folder());
    // The customer's attempt got a file id; its retry meets a reply of another shape.
    for (const char* reply : {"success|Skylane182Deluxe.zip|5242880|Skylane182Deluxe.zip",
                              "success|Skylane182Deluxe.zip|5242880|2.1|Skylane182Deluxe.zip|x", "Error:1"}) {
        SCOPED_TRACE(reply);
        box_.calls.clear();
        auto& display = agent_->downloadDisplay;
        display.subject.fileName = "Skylane182Deluxe.zip";
        display.retryStage = 1;
        display.fileIdReply = reply;
        download::DownloadWindow window{view(), agent_->downloadJob, agent_->deployment, agent_->session,
                                        agent_->appState.downloadBase, "tovrin", box_.function(), shell_,
                                        {}, {}, {}, {}};
        download::beginFileDownload(display, window);
        ASSERT_EQ(box_.calls.size(), 1u);
        EXPECT_EQ(box_.calls[0].text,
                  "There was an error initializing the download. Please try again shortly or "
                  "contact support if you keep getting this error.");
        EXPECT_FALSE(display.active);
        EXPECT_TRUE(view().isEnabled(ids::kProductList));
    }
    EXPECT_TRUE(requestsOn("file1").empty());
    EXPECT_TRUE(requestsOn("file2").empty());
}

TEST_F(DownloadWindowTest, AVanishedDownloadFolderIsReportedBeforeAskingTheStore)
{
    startOn("* Skylane 182 Deluxe");
    agent_->appState.downloadBase = (store_.stateDir() / "unplugged-drive").string();
    clickDownload();
    ASSERT_EQ(box_.calls.size(), 1u);
    EXPECT_EQ(box_.calls[0].text,
              "Error downloading file. Please contact support if you keep getting this message.");
    EXPECT_EQ(box_.calls[0].caption, "Error");
    EXPECT_TRUE(store_.requests().empty());
    EXPECT_FALSE(onScreen());
    EXPECT_TRUE(view().isEnabled(ids::kDownloadFile));
    EXPECT_FALSE(fs::exists(store_.stateDir() / "unplugged-drive"));
}

TEST_F(DownloadWindowTest, ARecordThatCannotBeWrittenFailsTheDownloadWithItsCause)
{
    // The file is never left without its record: it goes back to being the whole partial
    // file, the secondary is not asked (it would fail the same way), nothing is opened.
    startOn("* Skylane 182 Deluxe");
    fs::create_directories(folder() / "Skylane182Deluxe.zip.cfg");
    clickDownload();
    ASSERT_TRUE(runToTheEnd());
    ASSERT_EQ(box_.calls.size(), 1u);
    EXPECT_EQ(box_.calls[0].text, std::string(download::kDownloadError) + " The record of the file could not be written.");
    EXPECT_FALSE(fs::exists(folder() / "Skylane182Deluxe.zip"));
    EXPECT_TRUE(holdsServedFile(folder() / "Skylane182Deluxe.zip.part", kSkylaneSize));
    EXPECT_TRUE(fs::is_directory(folder() / "Skylane182Deluxe.zip.cfg"));
    EXPECT_TRUE(shell_.opened.empty());
    for (const auto& request : store_.requests())
        EXPECT_NE(request.server, "file2");

    // Once the record can be written, the next Download File finishes with the last byte.
    fs::remove(folder() / "Skylane182Deluxe.zip.cfg");
    box_.calls.clear();
    store_.clearRequests();
    clickDownload();
    ASSERT_TRUE(runToTheEnd());
    EXPECT_TRUE(box_.calls.empty());
    EXPECT_LE(agent_->downloadJob.bytesReceived.load(), 1u);
    EXPECT_TRUE(holdsServedFile(folder() / "Skylane182Deluxe.zip", kSkylaneSize));
    EXPECT_EQ(shell_.opened.size(), 1u);
}

}  // namespace
}  // namespace qk::test
