// Resume that can be trusted on any server, seen from the main window: a whole partial
// file is finished by its last byte, a mirror with another build is never spliced on, a
// secondary that ignores ranges keeps the primary's progress, weak tags stay out of
// If-Range, a failure on this side names its cause, the record comes with the file, and
// a stalled transfer's speed falls.

#include <QApplication>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>

#include "download/download_display.h"
#include "download/download_record.h"
#include "download/partial_identity.h"
#include "download/progress_text.h"
#include "generated_content.h"
#include "main_window_fixture.h"

namespace qk::test {
namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kSkylaneSize = 5242880;
constexpr std::uint64_t kPrimaryCut = 400000;

std::string servedBytes(std::uint64_t size, bool otherBuild = false)
{
    std::string bytes(size, '\0');
    if (otherBuild)
        demo::fillOtherContent(0, bytes.data(), bytes.size());
    else
        demo::fillContent(0, bytes.data(), bytes.size());
    return bytes;
}

std::string readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class ResumeTrustTest : public MainWindowTest {
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
    fs::path identity() const { return folder() / "Skylane182Deluxe.zip.part.id"; }
    fs::path record() const { return folder() / "Skylane182Deluxe.zip.cfg"; }

    void clickDownload() { window_->onCommand(ids::kDownloadFile, ui::Notify::Clicked, 0); }

    ::testing::AssertionResult downloadToTheEnd()
    {
        clickDownload();
        return runWindowUntil([this] { return !agent_->downloadDisplay.active; }, "the download on screen");
    }

    std::vector<LoggedRequest> fileRequests(const std::string& server)
    {
        std::vector<LoggedRequest> found;
        for (auto& request : store_.requests()) {
            if (request.server == server)
                found.push_back(request);
        }
        return found;
    }

    std::string recordedVersion()
    {
        const auto lines = download::readRecordLines(record().string());
        return lines ? (*lines)[4] : "no record";
    }
};

TEST_F(ResumeTrustTest, AWholePartialFileFinishesFetchingAtMostOneByte)
{
    // The agent died after the last byte and before the rename.
    std::ofstream(part(), std::ios::binary) << servedBytes(kSkylaneSize);
    ASSERT_TRUE(download::writeIdentity(identity().string(), {"2.1", "5242880", "", "", ""}));

    ASSERT_TRUE(downloadToTheEnd());
    const auto requests = fileRequests("file1");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].header("Range"), "bytes=5242879-");
    EXPECT_LE(agent_->downloadJob.bytesReceived.load(), 1u);
    EXPECT_TRUE(readAll(file()) == servedBytes(kSkylaneSize));
    EXPECT_FALSE(fs::exists(part()));
    EXPECT_EQ(recordedVersion(), "version=2.1");
    EXPECT_TRUE(box_.calls.empty());
    EXPECT_EQ(shell_.opened.size(), 1u);
}

// The primary breaks off after 400,000 bytes; what the secondary is decides the rest.
struct SecondaryCase {
    const char* name;
    const char* secondaryFiles;  // the store's switch
    const char* fileId;          // appended to the file id on both servers
    bool completes;
    bool otherBuild;             // the file is the secondary's other build, whole
    const char* secondRange;     // the secondary's first Range
};

class ResumeOnTheSecondary : public ResumeTrustTest, public ::testing::WithParamInterface<SecondaryCase> {};

TEST_P(ResumeOnTheSecondary, EndsAsOneServersWholeFileOrKeepsThePrimarysBytes)
{
    const SecondaryCase& row = GetParam();
    ASSERT_TRUE(store_.control("primarycut", std::to_string(kPrimaryCut)));
    ASSERT_TRUE(store_.control("secondaryfiles", row.secondaryFiles));
    ASSERT_TRUE(store_.control("fileid", row.fileId));

    ASSERT_TRUE(downloadToTheEnd());
    const auto secondary = fileRequests("file2");
    ASSERT_GE(secondary.size(), 1u);
    EXPECT_EQ(secondary[0].header("Range"), row.secondRange);
    for (const auto& request : store_.requests())
        EXPECT_EQ(request.headerCount("If-Range"), 0) << "no strong validator, no If-Range: " << request.target;

    if (row.completes) {
        EXPECT_TRUE(box_.calls.empty());
        EXPECT_TRUE(readAll(file()) == servedBytes(kSkylaneSize, row.otherBuild)) << "never a splice";
        EXPECT_FALSE(fs::exists(part()));
        EXPECT_EQ(recordedVersion(), "version=2.1");
    } else {
        ASSERT_EQ(box_.calls.size(), 1u);
        EXPECT_EQ(box_.calls[0].text, std::string(download::kDownloadError));
        EXPECT_FALSE(fs::exists(file()));
        EXPECT_TRUE(readAll(part()) == servedBytes(kPrimaryCut)) << "the primary's progress is kept";
        EXPECT_TRUE(fs::exists(identity()));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Servers, ResumeOnTheSecondary,
    ::testing::Values(
        // 64 KiB before the end are compared: the same bytes continue the file.
        SecondaryCase{"SameFilesContinue", "same", "", true, false, "bytes=334464-"},
        // An out-of-date mirror: the compared bytes differ, so its whole file from 0.
        SecondaryCase{"OtherBuildFromZero", "other", "", true, true, "bytes=334464-"},
        // A weak tag on both: never in If-Range, the overlap carries the continuation.
        SecondaryCase{"WeakTagNotSent", "same", "-weaketagw1", true, false, "bytes=334464-"},
        // 200 to every range: nothing usable begins, the partial file stays as it was.
        SecondaryCase{"IgnoringRangesKeepsProgress", "ignorerange", "", false, false, "bytes=334464-"}),
    [](const auto& info) { return std::string(info.param.name); });

// A failure on this side: the error text names its cause, the partial file stays, and the
// secondary is not asked, since it would fail the same way.
TEST_F(ResumeTrustTest, AFullDiskNamesItsCauseKeepsThePartAndSkipsTheSecondary)
{
    constexpr rlim_t kRoom = 300000;
    rlimit before{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = before;
    limited.rlim_cur = kRoom;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool ended = downloadToTheEnd();
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);
    ASSERT_TRUE(ended);

    ASSERT_EQ(box_.calls.size(), 1u);
    EXPECT_EQ(box_.calls[0].text, std::string(download::kDownloadError) + " The disk is full.");
    EXPECT_TRUE(fileRequests("file2").empty());
    const std::string kept = readAll(part());
    EXPECT_GT(kept.size(), 0u);
    EXPECT_LE(kept.size(), kRoom);
    EXPECT_TRUE(kept == servedBytes(kept.size()));
    EXPECT_FALSE(fs::exists(file()));
}

TEST_F(ResumeTrustTest, TheRecordWithTheNewVersionIsThereAsSoonAsCompletedCanBeSeen)
{
    // A copy of before, with its record, that the customer chose to replace.
    std::ofstream(file(), std::ios::binary) << "old";
    ASSERT_TRUE(download::writeDownloadRecord(record().string(), {"Skylane 182 Deluxe", "tov-1001",
                                                                  "Skylane182Deluxe.zip", "2.0"},
                                              1700000000));
    box_.answer(ui::kIdYes);
    clickDownload();
    std::string text;
    std::string versionWhenSeen;
    ASSERT_TRUE(runWindowUntil(
        [&] {
            download::readProgress(agent_->downloadJob, text);
            if (text.ends_with("|Completed") && versionWhenSeen.empty())
                versionWhenSeen = recordedVersion();
            return !agent_->downloadDisplay.active;
        },
        "the download on screen", [] {}));
    EXPECT_EQ(versionWhenSeen, "version=2.1");
    EXPECT_TRUE(readAll(file()) == servedBytes(kSkylaneSize));
}

// While no byte comes, the text is worked out again: the speed falls (the time left grows
// with it), and the label follows.
TEST_F(ResumeTrustTest, AStalledTransferShowsAFallingSpeed)
{
    ASSERT_TRUE(store_.control("fileid", "-hold300000"));
    clickDownload();
    download::DownloadJob& job = agent_->downloadJob;
    std::string text;
    // The text of the last of the 300,000 bytes (5.72204590 % of the file) is out.
    ASSERT_TRUE(runWindowUntil(
        [&] {
            download::readProgress(job, text);
            return text.size() > 10 && text.substr(0, 10).replace(1, 1, ".") == "5.72204590";
        },
        "the first 300,000 bytes"));
    const std::string first = text;
    ASSERT_TRUE(runWindowUntil([&] { return download::readProgress(job, text) && text != first; },
                               "a text worked out again"));
    const std::string later = text;
    const auto fieldsOf = [](const std::string& progress) {
        std::vector<std::string> fields(1);
        for (const char c : progress) {
            if (c == '|')
                fields.emplace_back();
            else
                fields.back().push_back(c);
        }
        return fields;
    };
    const auto speedOf = [&](const std::string& progress) {
        const std::string speed = fieldsOf(progress).at(2);
        const double unit = speed.ends_with("MB/sec") ? 1048576.0 : speed.ends_with("KB/sec") ? 1024.0 : 1.0;
        return std::stod(speed) * unit;
    };
    EXPECT_LT(speedOf(later), speedOf(first)) << first << " then " << later;
    EXPECT_EQ(fieldsOf(later).at(4), "Downloading");
    EXPECT_TRUE(runWindowUntil([&] { return view().text(ids::kProgressText).ends_with(") " + fieldsOf(later).at(2)); },
                               "the label with the fallen speed"));
    EXPECT_EQ(job.bytesReceived.load(), 300000u) << "no byte came meanwhile";
    window_->onCommand(ids::kCancelDownload, ui::Notify::Clicked, 0);
    ASSERT_TRUE(runWindowUntil([this] { return !agent_->downloadDisplay.active; }, "the cancel"));
}

TEST_F(ResumeTrustTest, TheRetryOnTheSecondaryDropsThePrimarysFigures)
{
    ASSERT_TRUE(store_.control("fileid", "-rate512"));
    ASSERT_TRUE(store_.control("primarycut", "600000"));
    clickDownload();
    ASSERT_TRUE(runWindowUntil([this] { return view().text(ids::kProgressText).starts_with("Remaining: "); },
                               "the primary's figures"));
    ASSERT_TRUE(runWindowUntil([this] { return agent_->downloadDisplay.retryStage == 1; }, "the retry"));
    EXPECT_EQ(view().text(ids::kProgressText), "Download Progress");
    window_->onCommand(ids::kCancelDownload, ui::Notify::Clicked, 0);
    ASSERT_TRUE(runWindowUntil([this] { return !agent_->downloadDisplay.active; }, "the cancel"));
}

}  // namespace
}  // namespace qk::test
