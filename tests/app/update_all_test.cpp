// Update All in the real main window (offscreen) on the demo store: the "Updates Available"
// view, a queue of outdated files fetched one after another, one of them refused by the
// store, and a queue cancelled and run again.

#include <QApplication>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/product_list.h"
#include "download/download_record.h"
#include "main_window_fixture.h"
#include "support/served_file.h"

namespace qk::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class UpdateAllTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        logInAs("pilot@tovrin.example", "skylane182");
        // The store now offers 2.1.1 and 3.0.1 of what was fetched as 2.1 and 3.0.
        ASSERT_TRUE(store_.control("updates", "on"));
    }

    // The download base is the application-data folder until the customer chooses one.
    fs::path folder() const { return agent_->deployment.appDataDir / "VarnelPurchase" / "tovrin"; }

    // A file fetched earlier in `version`, with its record naming the product that ships it.
    void fetchedEarlier(const std::string& name, const std::string& version)
    {
        fs::create_directories(folder());
        std::ofstream(folder() / name, std::ios::binary) << "the old bytes of " << name;
        const std::string productId = name.starts_with("GrandCanyon") ? "tov-1011"
                                      : name.starts_with("Skylane")   ? "tov-1001"
                                                                      : "tov-1008";
        ASSERT_TRUE(download::writeDownloadRecord((folder() / name).string() + ".cfg",
                                                  {"Product", productId, name, version}, 1700000000));
    }

    std::string recordedVersion(const std::string& name)
    {
        const auto lines = download::readRecordLines((folder() / name).string() + ".cfg");
        return lines ? (*lines)[4] : "no record";
    }

    void chooseCategory(const std::string& name)
    {
        for (int i = 0; i < view().comboCount(ids::kCategoryBox); ++i) {
            if (view().comboText(ids::kCategoryBox, i) == name) {
                view().comboSetCurrent(ids::kCategoryBox, i);
                window_->onCommand(ids::kCategoryBox, ui::Notify::SelectionChanged, 0);
                return;
            }
        }
        FAIL() << "no category " << name;
    }

    std::vector<std::string> rows()
    {
        std::vector<std::string> names;
        for (int row = 0; row < view().listRowCount(ids::kProductList); ++row)
            names.push_back(view().listCell(ids::kProductList, row, 0));
        return names;
    }

    std::string updateAllCaption() { return view().text(ids::kUpdateAll); }

    // The window's own timers drive the queue until it has ended.
    ::testing::AssertionResult runQueue(const std::function<void()>& duringRun = {})
    {
        return runWindowUntil([this] { return !agent_->updateQueue.running(); }, "the queue", duringRun, 60000);
    }

    std::vector<std::string> fileIdsAsked()
    {
        std::vector<std::string> pids;
        for (const auto& request : store_.requests()) {
            if (request.target == "/vngetfile.asp") {
                const auto at = request.body.find("&pid=") + 5;
                pids.push_back(request.body.substr(at, request.body.find('&', at) - at));
            }
        }
        return pids;
    }
};

TEST_F(UpdateAllTest, TheViewListsOutdatedProductsAndTheQueueUpdatesAllButTheRefusedFile)
{
    fetchedEarlier("Skylane182Deluxe.zip", "2.1");
    fetchedEarlier("GrandCanyonPart1.zip", "3.0");
    fetchedEarlier("GrandCanyonPart2.zip", "3.0.1");  // already current
    fetchedEarlier("GrandCanyonTextures.zip", "3.0");
    fetchedEarlier("ClassicTrainer1998.zip", "1.4");  // no newer version of it
    ASSERT_TRUE(store_.control("refusefile", "GrandCanyonPart1.zip"));
    start();

    const auto entries = categories();
    ASSERT_GE(entries.size(), 4U);
    EXPECT_EQ(std::vector<std::string>(entries.begin(), entries.begin() + 4),
              (std::vector<std::string>{"All Categories", "My Library", "Updates Available", "------"}));
    EXPECT_FALSE(view().isVisible(ids::kUpdateAll)) << "only in the updates view";

    chooseCategory(app::kUpdatesAvailable);
    EXPECT_EQ(rows(), (std::vector<std::string>{"* Skylane 182 Deluxe", "* Grand Canyon HD"}));
    ASSERT_TRUE(view().isVisible(ids::kUpdateAll));
    ASSERT_TRUE(view().isEnabled(ids::kUpdateAll));
    EXPECT_EQ(updateAllCaption(), "Update All");

    store_.clearRequests();
    box_.calls.clear();
    box_.answer(ui::kIdYes);
    window_->onCommand(ids::kUpdateAll, ui::Notify::Clicked, 0);
    ASSERT_EQ(box_.calls.size(), 1U);
    EXPECT_EQ(box_.calls[0].text,
              "Download the new versions of 3 files? The files you have now will be replaced.");
    EXPECT_EQ(box_.calls[0].caption, "Update All");
    EXPECT_EQ(updateAllCaption(), "Updating 1 of 3...");
    EXPECT_FALSE(view().isEnabled(ids::kUpdateAll));

    bool sawLast = false;
    ASSERT_TRUE(runQueue([&] { sawLast = sawLast || updateAllCaption() == "Updating 3 of 3..."; }));
    EXPECT_TRUE(sawLast);

    EXPECT_EQ(fileIdsAsked(), (std::vector<std::string>{"tov-1001", "tov-1011:0", "tov-1011:2"}));
    ASSERT_EQ(box_.calls.size(), 2U) << "no message per file, one at the end";
    EXPECT_EQ(box_.calls[1].text,
              "2 files were updated.\r\n\r\nThis file could not be updated:\r\nGrandCanyonPart1.zip");
    EXPECT_TRUE(shell_.opened.empty()) << "nothing is opened one by one";

    EXPECT_TRUE(holdsServedFile(folder() / "Skylane182Deluxe.zip", 5242880));
    EXPECT_TRUE(holdsServedFile(folder() / "GrandCanyonTextures.zip", 1048576));
    EXPECT_EQ(recordedVersion("Skylane182Deluxe.zip"), "version=2.1.1");
    EXPECT_EQ(recordedVersion("GrandCanyonTextures.zip"), "version=3.0.1");
    EXPECT_EQ(readAll(folder() / "GrandCanyonPart1.zip"), "the old bytes of GrandCanyonPart1.zip")
        << "a refused start leaves the old file";
    EXPECT_EQ(recordedVersion("GrandCanyonPart1.zip"), "version=3.0");

    EXPECT_EQ(rows(), (std::vector<std::string>{"* Grand Canyon HD"})) << "the updated product left the view";
    EXPECT_EQ(updateAllCaption(), "Update All");
    EXPECT_TRUE(view().isEnabled(ids::kUpdateAll));
}

TEST_F(UpdateAllTest, CancelEndsTheQueueAndTheNextRunFetchesWhatIsLeft)
{
    fetchedEarlier("Skylane182Deluxe.zip", "2.1");
    fetchedEarlier("GrandCanyonTextures.zip", "3.0");
    ASSERT_TRUE(store_.control("fileid", "-rate512"));
    start();
    chooseCategory(app::kUpdatesAvailable);

    box_.answer(ui::kIdYes);
    window_->onCommand(ids::kUpdateAll, ui::Notify::Clicked, 0);
    bool cancelled = false;
    ASSERT_TRUE(runQueue([&] {
        if (!cancelled && view().text(ids::kProgressText).starts_with("Remaining: ")) {
            window_->onCommand(ids::kCancelDownload, ui::Notify::Clicked, 0);
            cancelled = true;
        }
    }));
    ASSERT_TRUE(cancelled);
    EXPECT_EQ(box_.calls.back().text, "Updating was canceled. 0 files were updated.");
    EXPECT_EQ(fileIdsAsked(), (std::vector<std::string>{"tov-1001"})) << "nothing after the cancelled file";
    EXPECT_EQ(rows(), (std::vector<std::string>{"* Skylane 182 Deluxe", "* Grand Canyon HD"}));

    ASSERT_TRUE(store_.control("fileid", ""));
    box_.answer(ui::kIdYes);
    window_->onCommand(ids::kUpdateAll, ui::Notify::Clicked, 0);
    EXPECT_EQ(box_.calls[box_.calls.size() - 1].text,
              "Download the new versions of 2 files? The files you have now will be replaced.");
    ASSERT_TRUE(runQueue());
    EXPECT_EQ(box_.calls.back().text, "2 files were updated.");
    EXPECT_TRUE(rows().empty());
    EXPECT_TRUE(holdsServedFile(folder() / "Skylane182Deluxe.zip", 5242880));
    EXPECT_EQ(recordedVersion("GrandCanyonTextures.zip"), "version=3.0.1");
}

TEST_F(UpdateAllTest, ClosedInTheMiddleTheNextStartListsWhatIsLeftAndContinuesThePartialFile)
{
    fetchedEarlier("Skylane182Deluxe.zip", "2.1");
    fetchedEarlier("GrandCanyonTextures.zip", "3.0");
    ASSERT_TRUE(store_.control("fileid", "-rate512"));
    start();
    chooseCategory(app::kUpdatesAvailable);
    box_.answer(ui::kIdYes);
    window_->onCommand(ids::kUpdateAll, ui::Notify::Clicked, 0);
    const fs::path dir = folder();
    const fs::path part = dir / "Skylane182Deluxe.zip.part";
    ASSERT_TRUE(runWindowUntil([&] { return fs::exists(part) && fs::file_size(part) > 0; }, "the first file"));
    // The agent goes away in the middle of the first file: no tick sees its end.
    window_.reset();
    agent_.reset();
    ASSERT_TRUE(fs::exists(part));
    const auto kept = fs::file_size(part);
    ASSERT_GT(kept, 0U);
    EXPECT_EQ(readAll(dir / "Skylane182Deluxe.zip"), "the old bytes of Skylane182Deluxe.zip")
        << "the working version stays until the new one replaces it";
    EXPECT_EQ(download::readRecordLines((dir / "Skylane182Deluxe.zip.cfg").string()).value()[4], "version=2.1");

    ASSERT_TRUE(store_.control("fileid", ""));
    SetUp();
    start();
    chooseCategory(app::kUpdatesAvailable);
    EXPECT_EQ(rows(), (std::vector<std::string>{"* Skylane 182 Deluxe", "* Grand Canyon HD"}));
    store_.clearRequests();
    box_.answer(ui::kIdYes);
    window_->onCommand(ids::kUpdateAll, ui::Notify::Clicked, 0);
    ASSERT_TRUE(runQueue());
    EXPECT_EQ(box_.calls.back().text, "2 files were updated.");
    std::vector<std::string> ranges;
    for (const auto& request : store_.requests())
        if (request.server == "file1")
            ranges.push_back(request.header("Range"));
    // The partial file is continued from 64 KiB before its end (compared first), or from 0.
    const std::uint64_t from = kept > 65536 ? kept - 65536 : 0;
    EXPECT_EQ(ranges, (std::vector<std::string>{"bytes=" + std::to_string(from) + "-", "bytes=0-"}));
    EXPECT_TRUE(holdsServedFile(folder() / "Skylane182Deluxe.zip", 5242880));
    EXPECT_FALSE(fs::exists(part));
    EXPECT_TRUE(rows().empty());
}

TEST_F(UpdateAllTest, AFileThatBreaksOffMidTransferIsReportedAndTheQueueGoesOn)
{
    // Every file server breaks off after 2,000,000 bytes: the 5 MiB file fails on both,
    // the 1 MiB one comes whole.
    fetchedEarlier("Skylane182Deluxe.zip", "2.1");
    fetchedEarlier("GrandCanyonTextures.zip", "3.0");
    ASSERT_TRUE(store_.control("fileid", "-cut2000000"));
    start();
    chooseCategory(app::kUpdatesAvailable);
    store_.clearRequests();
    box_.answer(ui::kIdYes);
    window_->onCommand(ids::kUpdateAll, ui::Notify::Clicked, 0);
    ASSERT_TRUE(runQueue());

    EXPECT_EQ(fileIdsAsked(), (std::vector<std::string>{"tov-1001", "tov-1011:2"}));
    ASSERT_EQ(box_.calls.size(), 2U) << "no message for the broken file on its own";
    EXPECT_EQ(box_.calls[1].text,
              "1 file was updated.\r\n\r\nThis file could not be updated:\r\nSkylane182Deluxe.zip");
    EXPECT_TRUE(shell_.opened.empty());
    EXPECT_EQ(readAll(folder() / "Skylane182Deluxe.zip"), "the old bytes of Skylane182Deluxe.zip");
    EXPECT_EQ(recordedVersion("Skylane182Deluxe.zip"), "version=2.1");
    // The secondary went on from 64 KiB before the primary's 2,000,000 bytes (compared
    // first) and broke off 2,000,000 bytes later.
    EXPECT_EQ(sizeOr0(folder() / "Skylane182Deluxe.zip.part"), 4000000U - 65536U) << "kept for the next run";
    EXPECT_TRUE(holdsServedFile(folder() / "GrandCanyonTextures.zip", 1048576));
    EXPECT_EQ(recordedVersion("GrandCanyonTextures.zip"), "version=3.0.1");
    EXPECT_EQ(rows(), (std::vector<std::string>{"* Skylane 182 Deluxe"}));
    EXPECT_EQ(updateAllCaption(), "Update All");
    EXPECT_TRUE(view().isEnabled(ids::kUpdateAll));
}

TEST_F(UpdateAllTest, UpdateAllStartsNothingWhileASingleDownloadRuns)
{
    fetchedEarlier("Skylane182Deluxe.zip", "2.1");
    ASSERT_TRUE(store_.control("fileid", "-hold0"));
    start();
    clickRow("* Classic Trainer 1998");
    window_->onCommand(ids::kDownloadFile, ui::Notify::Clicked, 0);
    ASSERT_TRUE(agent_->downloadDisplay.active);
    chooseCategory(app::kUpdatesAvailable);
    EXPECT_TRUE(view().isVisible(ids::kUpdateAll));
    EXPECT_FALSE(view().isEnabled(ids::kUpdateAll));

    // The single download's own request is in before the log is cleared.
    ASSERT_TRUE(runWindowUntil(
        [this] {
            const auto log = store_.requests();
            return std::any_of(log.begin(), log.end(), [](const auto& request) { return request.server == "file1"; });
        },
        "the held file request"));
    // A click that reaches the window all the same (a queued one, a keyboard shortcut).
    store_.clearRequests();
    box_.calls.clear();
    window_->onCommand(ids::kUpdateAll, ui::Notify::Clicked, 0);
    EXPECT_TRUE(box_.calls.empty());
    EXPECT_FALSE(agent_->updateQueue.running());
    EXPECT_TRUE(store_.requests().empty());
    EXPECT_EQ(updateAllCaption(), "Update All");

    window_->onCommand(ids::kCancelDownload, ui::Notify::Clicked, 0);
    ASSERT_TRUE(runWindowUntil([this] { return !agent_->downloadDisplay.active; }, "the download on screen"));
    EXPECT_EQ(fileIdsAsked(), std::vector<std::string>{});
    EXPECT_EQ(readAll(folder() / "Skylane182Deluxe.zip"), "the old bytes of Skylane182Deluxe.zip");
}

}  // namespace
}  // namespace qk::test
