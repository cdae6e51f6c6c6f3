// Download All in the real main window (offscreen) on the demo store: the missing and
// damaged files of the library in one queue, a queue cancelled, a partial file continued,
// and free space checked before Download File, Download All and Update All write a byte.

#include <QAccessible>
#include <QApplication>
#include <QTest>

#include <filesystem>
#include <fstream>

#include "app/download_all.h"
#include "app/product_list.h"
#include "download/download_record.h"
#include "download/partial_identity.h"
#include "generated_content.h"
#include "main_window_fixture.h"

namespace qk::test {
namespace {

namespace fs = std::filesystem;

std::string readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string servedBytes(std::uint64_t offset, std::size_t size)
{
    std::string bytes(size, '\0');
    demo::fillContent(offset, bytes.data(), bytes.size());
    return bytes;
}

class FixedFreeSpace final : public platform::FreeSpace {
public:
    std::optional<std::uint64_t> availableBytes(const fs::path&) override { return 1048576; }
};

class DownloadAllTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        logInAs("pilot@tovrin.example", "skylane182");
    }

    fs::path folder() const { return agent_->deployment.appDataDir / "VarnelPurchase" / "tovrin"; }

    // A file of `size` bytes on disk, with a record naming `version` when one is given.
    void onDisk(const std::string& name, std::uint64_t size, const std::string& productId = {},
                const std::string& version = {})
    {
        fs::create_directories(folder());
        std::ofstream(folder() / name, std::ios::binary);
        fs::resize_file(folder() / name, size);
        if (!version.empty()) {
            ASSERT_TRUE(download::writeDownloadRecord((folder() / name).string() + ".cfg",
                                                      {"Product", productId, name, version}, 1700000000));
        }
    }

    // Every file of the demo library whole, but for those the test leaves out.
    void libraryOnDiskBut(const std::vector<std::string>& leftOut)
    {
        const std::vector<std::pair<std::string, std::uint64_t>> library{
            {"Skylane182Deluxe.zip", 5242880},    {"ClassicTrainer1998.zip", 1048576},
            {"GrandCanyonPart1.zip", 3145728},    {"GrandCanyonPart2.zip", 2097152},
            {"GrandCanyonTextures.zip", 1048576}, {"Airliner737Pro.zip", 8388608}};
        for (const auto& [name, size] : library)
            if (std::find(leftOut.begin(), leftOut.end(), name) == leftOut.end())
                onDisk(name, size);
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

    void click(int id) { window_->onCommand(id, ui::Notify::Clicked, 0); }
    std::string caption() { return view().text(ids::kDownloadAll); }

    ::testing::AssertionResult runQueue(const std::function<void()>& duringRun = {})
    {
        return runWindowUntil([this] { return !agent_->updateQueue.running(); }, "the queue", duringRun, 60000);
    }

    std::vector<std::string> fileIdsAsked()
    {
        std::vector<std::string> pids;
        for (const auto& request : requestsMatching(store_, {.target = "/vngetfile.asp"})) {
            const auto at = request.body.find("&pid=") + 5;
            pids.push_back(request.body.substr(at, request.body.find('&', at) - at));
        }
        return pids;
    }

    std::size_t fileServerRequests()
    {
        return requestsMatching(store_, {.server = "file1"}).size() +
               requestsMatching(store_, {.server = "file2"}).size();
    }
};

TEST_F(DownloadAllTest, OneQuestionFetchesTheMissingAndDamagedFilesAndOneSummaryNamesTheFailure)
{
    onDisk("ClassicTrainer1998.zip", 1048576, "tov-1008", "1.4");    // whole
    onDisk("GrandCanyonPart2.zip", 1000, "tov-1011", "3.0");         // cut short
    onDisk("Airliner737Pro.zip", 10);                                // no record: counts as downloaded
    ASSERT_TRUE(store_.control("refusefile", "GrandCanyonTextures.zip"));
    start();
    EXPECT_FALSE(view().isVisible(ids::kDownloadAll)) << "only in the library view";

    chooseCategory(app::kMyLibrary);
    ASSERT_TRUE(view().isVisible(ids::kDownloadAll));
    ASSERT_TRUE(view().isEnabled(ids::kDownloadAll));
    EXPECT_EQ(caption(), "Download All");
    auto* dialog = dynamic_cast<ui::QtDialog*>(dialogs_.real(ids::kMainWindowId));
    ASSERT_NE(dialog, nullptr);
    QWidget* button = dialog->control(ids::kDownloadAll);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(button)->text(QAccessible::Name), QStringLiteral("Download All"));
    QWidget* window = dialog->qtWidget();
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    for (int press = 0; press < 60 && QApplication::focusWidget() != button; ++press)
        QTest::keyClick(window, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), button) << "Tab reaches the button";

    store_.clearRequests();
    box_.calls.clear();
    box_.answer(ui::kIdYes);
    click(ids::kDownloadAll);
    ASSERT_EQ(box_.calls.size(), 1U);
    EXPECT_EQ(box_.calls[0].text, "Download 4 files of your library that are missing or damaged (11.0 MB)?");
    EXPECT_EQ(box_.calls[0].caption, "Download All");
    EXPECT_EQ(box_.calls[0].flags, ui::mb::kYesNo | ui::mb::kIconQuestion);
    EXPECT_EQ(caption(), "Downloading 1 of 4...");
    EXPECT_FALSE(view().isEnabled(ids::kDownloadAll));

    bool sawLast = false;
    ASSERT_TRUE(runQueue([&] { sawLast = sawLast || caption() == "Downloading 4 of 4..."; }));
    EXPECT_TRUE(sawLast);

    EXPECT_EQ(fileIdsAsked(), (std::vector<std::string>{"tov-1001", "tov-1011:0", "tov-1011:1", "tov-1011:2"}));
    ASSERT_EQ(box_.calls.size(), 2U) << "no message per file, one at the end";
    EXPECT_EQ(box_.calls[1].text,
              "3 files were downloaded.\r\n\r\nThis file could not be downloaded:\r\nGrandCanyonTextures.zip");
    EXPECT_EQ(box_.calls[1].caption, "Download All");
    EXPECT_TRUE(shell_.opened.empty()) << "nothing is opened";

    EXPECT_EQ(readAll(folder() / "Skylane182Deluxe.zip"), servedBytes(0, 5242880));
    EXPECT_EQ(readAll(folder() / "GrandCanyonPart1.zip"), servedBytes(0, 3145728));
    EXPECT_EQ(readAll(folder() / "GrandCanyonPart2.zip"), servedBytes(0, 2097152)) << "the damaged copy replaced";
    EXPECT_EQ(recordedVersion("Skylane182Deluxe.zip"), "version=2.1");
    EXPECT_EQ(recordedVersion("GrandCanyonPart1.zip"), "version=3.0");
    EXPECT_EQ(recordedVersion("GrandCanyonPart2.zip"), "version=3.0");
    EXPECT_FALSE(fs::exists(folder() / "GrandCanyonTextures.zip"));
    EXPECT_EQ(fs::file_size(folder() / "Airliner737Pro.zip"), 10U);

    EXPECT_EQ(caption(), "Download All");
    EXPECT_TRUE(view().isEnabled(ids::kDownloadAll)) << "the refused file is still missing";
    EXPECT_EQ(app::missingLibraryFiles(*agent_).size(), 1U);
}

TEST_F(DownloadAllTest, CancelEndsTheQueueAndKeepsTheDamagedCopy)
{
    libraryOnDiskBut({"GrandCanyonPart2.zip", "GrandCanyonTextures.zip"});
    onDisk("GrandCanyonPart2.zip", 1000, "tov-1011", "3.0");
    ASSERT_TRUE(store_.control("fileid", "-rate512"));
    start();
    chooseCategory(app::kMyLibrary);
    store_.clearRequests();
    box_.answer(ui::kIdYes);
    click(ids::kDownloadAll);
    ASSERT_EQ(box_.calls.size(), 1U);
    EXPECT_EQ(box_.calls[0].text, "Download 2 files of your library that are missing or damaged (3.00 MB)?");

    bool cancelled = false;
    ASSERT_TRUE(runQueue([&] {
        if (!cancelled && view().text(ids::kProgressText).starts_with("Remaining: ")) {
            click(ids::kCancelDownload);
            cancelled = true;
        }
    }));
    ASSERT_TRUE(cancelled);
    EXPECT_EQ(box_.calls.back().text, "Downloading was canceled. 0 files were downloaded.");
    EXPECT_EQ(fileIdsAsked(), (std::vector<std::string>{"tov-1011:1"})) << "nothing after the cancelled file";
    EXPECT_EQ(fs::file_size(folder() / "GrandCanyonPart2.zip"), 1000U) << "the damaged copy stays";
    EXPECT_EQ(recordedVersion("GrandCanyonPart2.zip"), "version=3.0");
    EXPECT_FALSE(fs::exists(folder() / "GrandCanyonPart2.zip.part"));
    EXPECT_EQ(caption(), "Download All");
    EXPECT_TRUE(view().isEnabled(ids::kDownloadAll));
}

TEST_F(DownloadAllTest, APartialFileContinuesWhereItStopped)
{
    libraryOnDiskBut({"Skylane182Deluxe.zip"});
    constexpr std::size_t kept = 2097152;
    std::ofstream(folder() / "Skylane182Deluxe.zip.part", std::ios::binary) << servedBytes(0, kept);
    ASSERT_TRUE(download::writeIdentity((folder() / "Skylane182Deluxe.zip.part.id").string(),
                                        {"2.1", "5242880", "", ""}));
    start();
    chooseCategory(app::kMyLibrary);
    store_.clearRequests();
    box_.answer(ui::kIdYes);
    click(ids::kDownloadAll);
    EXPECT_EQ(box_.calls.back().text, "Download 1 file of your library that is missing or damaged (5.00 MB)?");
    ASSERT_TRUE(runQueue());
    EXPECT_EQ(box_.calls.back().text, "1 file was downloaded.");

    const auto fetches = requestsMatching(store_, {.server = "file1"});
    ASSERT_EQ(fetches.size(), 1U);
    const std::string range = fetches[0].header("Range");
    ASSERT_TRUE(range.starts_with("bytes=")) << range;
    const auto from = std::stoull(range.substr(6));
    EXPECT_GT(from, 0U) << "continued, not started over";
    EXPECT_LE(from, kept);
    EXPECT_EQ(readAll(folder() / "Skylane182Deluxe.zip"), servedBytes(0, 5242880));
    EXPECT_FALSE(fs::exists(folder() / "Skylane182Deluxe.zip.part"));
    EXPECT_FALSE(view().isEnabled(ids::kDownloadAll)) << "nothing left to fetch";
}

TEST_F(DownloadAllTest, NoRoomRefusesEachCommandBeforeAnythingIsAskedOrFetched)
{
    FixedFreeSpace oneMegabyte;
    agent_->freeSpace = &oneMegabyte;
    onDisk("Skylane182Deluxe.zip", 10, "tov-1001", "2.1");
    ASSERT_TRUE(store_.control("updates", "on"));  // Skylane 2.1.1 is offered: an update
    start();

    struct Case {
        const char* command;
        std::function<void()> run;
        const char* needed;
    };
    const std::vector<Case> cases{
        {"Download File", [&] { clickRow("* Skylane 182 Deluxe"); click(ids::kDownloadFile); }, "5.00 MB"},
        {"Download All", [&] { chooseCategory(app::kMyLibrary); click(ids::kDownloadAll); }, "15.0 MB"},
        {"Update All", [&] { chooseCategory(app::kUpdatesAvailable); click(ids::kUpdateAll); }, "5.00 MB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        store_.clearRequests();
        box_.calls.clear();
        c.run();
        ASSERT_EQ(box_.calls.size(), 1U) << "no question, no other message";
        EXPECT_EQ(box_.calls[0].text, "There is not enough free disk space for this download. It needs " +
                                          std::string(c.needed) +
                                          ", and the disk of the download folder has 1.00 MB free.\r\n\r\n"
                                          "Please make room and try again.");
        EXPECT_EQ(box_.calls[0].caption, "Not Enough Disk Space");
        EXPECT_TRUE(fileIdsAsked().empty());
        EXPECT_EQ(fileServerRequests(), 0U);
        EXPECT_FALSE(agent_->downloadDisplay.active);
        EXPECT_FALSE(agent_->updateQueue.running());
    }
    EXPECT_EQ(fs::file_size(folder() / "Skylane182Deluxe.zip"), 10U);
}

}  // namespace
}  // namespace qk::test
