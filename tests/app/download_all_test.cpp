// Download All in the real main window (offscreen) on the demo store: the missing and
// damaged files of the library in one queue (a partial file continued, a refused file
// named at the end), a queue cancelled, and free space checked before Download File,
// Download All and Update All ask or fetch anything.

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

std::string servedBytes(std::size_t size)
{
    std::string bytes(size, '\0');
    demo::fillContent(0, bytes.data(), bytes.size());
    return bytes;
}

class OneMegabyteFree final : public platform::FreeSpace {
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

    // `size` bytes at `name`, with a record of `productId` and `version` when one is given.
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

    // What an interrupted download of `version` left: the first served bytes and their identity.
    void partialFile(const std::string& name, std::size_t size, const std::string& version, const std::string& total)
    {
        fs::create_directories(folder());
        std::ofstream(folder() / (name + ".part"), std::ios::binary) << servedBytes(size);
        ASSERT_TRUE(download::writeIdentity((folder() / (name + ".part.id")).string(), {version, total, "", ""}));
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
};

TEST_F(DownloadAllTest, OneQuestionFetchesTheMissingAndDamagedFilesAndOneSummaryNamesTheFailure)
{
    constexpr std::size_t kept = 2097152;
    partialFile("Skylane182Deluxe.zip", kept, "2.1", "5242880");  // missing, partly fetched
    onDisk("GrandCanyonPart2.zip", 1000, "tov-1011", "3.0");       // damaged: cut short
    onDisk("ClassicTrainer1998.zip", 10, "tov-1008", "1.3");       // another version: an update
    onDisk("Airliner737Pro.zip", 10, "tov-1001", "1.2");           // a record of another product
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
    view().show();
    dialog->qtWidget()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog->qtWidget()));
    for (int press = 0; press < 60 && QApplication::focusWidget() != button; ++press)
        QTest::keyClick(dialog->qtWidget(), Qt::Key_Tab);
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

    const auto firstFetch = requestsMatching(store_, {.server = "file1"}).at(0);
    const auto from = std::stoull(firstFetch.header("Range").substr(std::string_view("bytes=").size()));
    EXPECT_TRUE(from > 0 && from <= kept) << "the partial file continued from " << from;
    EXPECT_EQ(readAll(folder() / "Skylane182Deluxe.zip"), servedBytes(5242880));
    EXPECT_EQ(readAll(folder() / "GrandCanyonPart1.zip"), servedBytes(3145728));
    EXPECT_EQ(readAll(folder() / "GrandCanyonPart2.zip"), servedBytes(2097152)) << "the damaged copy replaced";
    EXPECT_EQ(recordedVersion("Skylane182Deluxe.zip"), "version=2.1");
    EXPECT_EQ(recordedVersion("GrandCanyonPart2.zip"), "version=3.0");
    EXPECT_FALSE(fs::exists(folder() / "GrandCanyonTextures.zip"));
    EXPECT_EQ(fs::file_size(folder() / "ClassicTrainer1998.zip") + fs::file_size(folder() / "Airliner737Pro.zip"), 20U);

    EXPECT_EQ(caption(), "Download All");
    EXPECT_TRUE(view().isEnabled(ids::kDownloadAll)) << "the refused file is still missing";
}

TEST_F(DownloadAllTest, CancelEndsTheQueueAndKeepsTheDamagedCopy)
{
    // Files without a record count as downloaded, whatever their size.
    for (const char* name : {"Skylane182Deluxe.zip", "ClassicTrainer1998.zip", "GrandCanyonPart1.zip", "Airliner737Pro.zip"})
        onDisk(name, 10);
    onDisk("GrandCanyonPart2.zip", 1000, "tov-1011", "3.0");
    ASSERT_TRUE(store_.control("fileid", "-rate512"));
    start();
    chooseCategory(app::kMyLibrary);
    store_.clearRequests();
    box_.answer(ui::kIdYes);
    click(ids::kDownloadAll);
    EXPECT_EQ(box_.calls.back().text, "Download 2 files of your library that are missing or damaged (3.00 MB)?");

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
    EXPECT_EQ(readAll(folder() / "GrandCanyonPart2.zip").size(), 1000U) << "the damaged copy stays";
    EXPECT_EQ(recordedVersion("GrandCanyonPart2.zip"), "version=3.0");
    EXPECT_FALSE(fs::exists(folder() / "GrandCanyonPart2.zip.part"));
    EXPECT_EQ(caption(), "Download All");
    EXPECT_TRUE(view().isEnabled(ids::kDownloadAll));
}

TEST_F(DownloadAllTest, NoRoomRefusesEachCommandBeforeAnythingIsAskedOrFetched)
{
    OneMegabyteFree space;
    agent_->freeSpace = &space;
    ASSERT_TRUE(store_.control("updates", "on"));  // the orders offer 2.1.1 and 3.0.1
    onDisk("Skylane182Deluxe.zip", 10, "tov-1001", "2.1");
    partialFile("Skylane182Deluxe.zip", 1048576, "2.1.1", "5242880");  // counts as written
    partialFile("GrandCanyonPart1.zip", 1048576, "3.0", "3145728");    // another version: counts nothing
    start();

    struct Case {
        const char* command;
        std::function<void()> run;
        const char* needed;
    };
    for (const Case& c : std::vector<Case>{
             {"Download File", [&] { clickRow("* Skylane 182 Deluxe"); click(ids::kDownloadFile); }, "4.00 MB"},
             {"Download All", [&] { chooseCategory(app::kMyLibrary); click(ids::kDownloadAll); }, "15.0 MB"},
             {"Update All", [&] { chooseCategory(app::kUpdatesAvailable); click(ids::kUpdateAll); }, "4.00 MB"}}) {
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
        EXPECT_TRUE(requestsMatching(store_, {.targetPrefix = "/sendfile.php"}).empty());
        EXPECT_FALSE(agent_->downloadDisplay.active || agent_->updateQueue.running());
    }
}

}  // namespace
}  // namespace qk::test
