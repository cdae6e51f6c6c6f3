// The engine against the demo store's file servers: real HTTP on loopback, real files.

#include "download/progress_text.h"
#include "download/transfer.h"
#include "download_fixture.h"

#include <memory>

namespace qk::download {
namespace {

using namespace qk::download::testing;

struct Outcome {
    std::string text;
    std::string result;
};

class TransferTest : public StoreSuite {
protected:
    void SetUp() override
    {
        StoreSuite::SetUp();
        if (!HasFatalFailure())
            store_->clearRequests();
    }

    Outcome run(const std::string& id, const fs::path& path, std::uint64_t expected)
    {
        job_.sourceUrl = fileUrl(*store_, id);
        job_.localPath = path.string();
        job_.expectedSize = expected;
        job_.running.store(1);
        EXPECT_EQ(runTransfer(job_), 0);
        EXPECT_EQ(job_.running.load(), 0) << "the flag is cleared on every way out";
        EXPECT_EQ(job_.localFile, -1) << "the local file is closed on every way out";
        return {job_.progressText, job_.resultMessage};
    }

    // Both file servers' requests: no other server is asked for "/sendfile.php".
    std::vector<test::LoggedRequest> fileRequests() const
    {
        return test::requestsMatching(*store_, {.targetPrefix = "/sendfile.php"});
    }

    DownloadJob job_;
};

TEST_F(TransferTest, FreshDownloadIsCompleteAndSendsTheAgentsRequest)
{
    const fs::path path = folder_ / "fresh.bin";
    const Outcome outcome = run("gen-3000000", path, 0);

    const auto fields = splitBars(outcome.text);
    ASSERT_EQ(fields.size(), 5u) << outcome.text;
    EXPECT_EQ(fields[0], "100.00000000");
    EXPECT_EQ(fields[1], "3000000");
    EXPECT_EQ(fields[4], "Completed");
    EXPECT_EQ(outcome.result, "Data has been downloaded");
    EXPECT_EQ(job_.bytesDone, 3000000);
    EXPECT_TRUE(readFile(path) == generatedBytes(0, 3000000)) << "content differs from the served file";

    const auto requests = fileRequests();
    ASSERT_EQ(requests.size(), 1u);
    const auto& request = requests[0];
    EXPECT_EQ(request.server, "file1");
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.target, "/sendfile.php?id=gen-3000000");
    EXPECT_EQ(request.header("Range"), "bytes=0-");
    EXPECT_EQ(request.header("User-Agent"), "Varnel 3/0");
    EXPECT_EQ(request.header("Cache-Control"), "no-cache");
    EXPECT_EQ(request.headerCount("Accept"), 0);
}

TEST_F(TransferTest, ResumeCountsPercentFromTheFileButSpeedFromThisTransferOnly)
{
    constexpr std::uint64_t kOnDisk = 300000;
    const fs::path path = folder_ / "resume.bin";
    writeFile(path, generatedBytes(0, kOnDisk));

    // The server sends one pass's worth (10240 bytes, in one piece) and then nothing.
    // Every clock reading is one second later; the first pass's reading cancels, so the
    // wait for more data ends the transfer, its last text measured 2 s after the start.
    ScriptedClock clock(1000);
    clock.onCall = [this](std::uint32_t call) {
        if (call == 1)
            job_.running.store(0);
    };
    job_.clock = &clock;
    const Outcome outcome = run("gen-1000000-hold10240", path, 0);

    ASSERT_EQ(fileRequests().size(), 1u);
    EXPECT_EQ(fileRequests()[0].header("Range"), "bytes=300000-");
    EXPECT_EQ(fs::file_size(path), kOnDisk + kReadSize) << "what came before the cancel is kept";
    EXPECT_TRUE(isGeneratedPrefix(path));
    // 310240 of 1000000 bytes on disk; this transfer's 10240 bytes over its 2 s; the
    // 689760 bytes left at that speed take 134 s, plus the one shown extra.
    EXPECT_EQ(outcome.text, "31.02400000|1000000|5.00 KB/sec|2 Min 15 Sec|Canceled");
    EXPECT_EQ(outcome.result, "Data has been downloaded");
}

TEST_F(TransferTest, AlreadyCompleteFileGetsTheFixedTextAndIsLeftAlone)
{
    const fs::path path = folder_ / "done.bin";
    const std::string whole = generatedBytes(0, 50000);
    writeFile(path, whole);

    Outcome outcome = run("gen-50000", path, 50000);
    EXPECT_EQ(outcome.text, "100|0 Sec|50000|N/A|Completed");
    EXPECT_EQ(outcome.result, "Data has been downloaded");
    EXPECT_TRUE(readFile(path) == whole);
    ASSERT_EQ(fileRequests().size(), 1u);
    EXPECT_EQ(fileRequests()[0].header("Range"), "bytes=50000-");

    // The store answers that with Content-Length 0: without an expected size the
    // length check comes first.
    outcome = run("gen-50000", path, 0);
    EXPECT_EQ(outcome.text, "Error: Invalid content length received from host or there is no data to download");
    EXPECT_EQ(outcome.result, outcome.text);
    EXPECT_TRUE(readFile(path) == whole);
}

TEST_F(TransferTest, CommaSeparatorAndZeroElapsedTimeGiveSaneTexts)
{
    const fs::path path = folder_ / "comma.bin";
    FixedLocale comma(',');
    ScriptedClock frozen(0);  // every pass sees 0 ms since the start
    job_.locale = &comma;
    job_.clock = &frozen;

    const Outcome outcome = run("gen-200000", path, 0);
    EXPECT_EQ(outcome.text, "100,00000000|200000|0.00 Bytes/sec|1 Sec|Completed");
    EXPECT_TRUE(readFile(path) == generatedBytes(0, 200000));
}

TEST_F(TransferTest, NoLengthNeedsTheExpectedSize)
{
    const fs::path path = folder_ / "nolength.bin";
    Outcome outcome = run("gen-100000-nolength", path, 0);
    EXPECT_EQ(outcome.text, "Error: Invalid content length received from host or there is no data to download");
    EXPECT_EQ(fs::file_size(path), 0u);

    outcome = run("gen-100000-nolength", path, 100000);
    EXPECT_EQ(splitBars(outcome.text).back(), "Completed") << outcome.text;
    EXPECT_TRUE(readFile(path) == generatedBytes(0, 100000));
}

struct Fault {
    const char* id;
    std::size_t onDisk;        // correct bytes in the file before the transfer
    std::string text;          // final progress text and result message
    std::size_t afterwards;    // correct bytes in the file after it
};

TEST_F(TransferTest, EveryServerFaultEndsInItsErrorAndACorrectPrefix)
{
    const std::string unspecified(kUnspecifiedError);
    const std::string noData(kNoDataReceived);
    const Fault faults[] = {
        {"gen-100000-cut30000", 0, unspecified, 30000},       // ended before the total
        {"gen-100000-cut10000", 20000, unspecified, 30000},   // same, on a resume
        {"gen-100000-nolength-cut30000", 0, unspecified, 30000},  // clean close, short count
        {"gen-100000-cut0", 0, noData, 0},
        {"gen-100000-cut0", 20000, unspecified, 20000},
        {"gen-100000-badrange", 0, unspecified, 0},
        {"gen-100000-norange", 0, unspecified, 0},
        {"gen-100000-smalltotal", 60000, unspecified, 60000}, // file longer than the server's
        {"gen-100000-ignorerange", 20000, unspecified, 20000},// 200 from byte 0 to a resume
        {"gen-100000-404", 0, unspecified, 0},
        {"gen-100000-500", 10, unspecified, 10},
        {"no-such-file", 0, unspecified, 0},
    };
    int index = 0;
    for (const Fault& fault : faults) {
        SCOPED_TRACE(std::string(fault.id) + " with " + std::to_string(fault.onDisk) + " bytes on disk");
        const fs::path path = folder_ / ("fault" + std::to_string(index++) + ".bin");
        writeFile(path, generatedBytes(0, fault.onDisk));
        const Outcome outcome = run(fault.id, path, 100000);
        EXPECT_EQ(outcome.text, fault.text);
        EXPECT_EQ(outcome.result, fault.text);
        EXPECT_EQ(fs::file_size(path), fault.afterwards);
        EXPECT_TRUE(isGeneratedPrefix(path));
    }
}

TEST_F(TransferTest, ConnectionFailuresKeepTheirTexts)
{
    const fs::path path = folder_ / "conn.bin";

    ASSERT_TRUE(store_->control("primary", "down"));
    Outcome outcome = run("gen-1000", path, 1000);
    ASSERT_TRUE(store_->control("primary", "up"));
    EXPECT_EQ(outcome.text, "7 Error: Could not connect to host name");  // libcurl's code for a refused connect

    job_.receiveTimeoutSeconds = 1;
    outcome = run("gen-1000-stall4000", path, 1000);
    EXPECT_EQ(outcome.text, "Error: Could not connect to host URL");
    EXPECT_EQ(fs::file_size(path), 0u);
}

TEST_F(TransferTest, LocalAndUrlProblemsAreErrorsNotCompletions)
{
    Outcome outcome = run("gen-1000", folder_ / "missing-folder" / "x.bin", 1000);
    EXPECT_EQ(outcome.text, "Error: Could not open local file");
    EXPECT_EQ(outcome.result, "Error: Could not open local file");
    EXPECT_TRUE(fileRequests().empty()) << "nothing is asked before the file is open";

    // A disk that is full: the write fails, the transfer is not "Completed".
    const fs::path full = folder_ / "full.bin";
    fs::create_symlink("/dev/full", full);
    outcome = run("gen-100000", full, 100000);
    EXPECT_EQ(outcome.text, "Error: There was an unspecified error");

    const fs::path path = folder_ / "url.bin";
    job_.sourceUrl = "sendfile.php?id=gen-10";  // no scheme, no host
    job_.localPath = path.string();
    job_.running.store(1);
    runTransfer(job_);
    EXPECT_EQ(job_.progressText, "Error: There was an unspecified error");
    EXPECT_EQ(job_.running.load(), 0);

    // Only the web's schemes are fetched.
    job_.sourceUrl = "file:///etc/passwd";
    job_.running.store(1);
    runTransfer(job_);
    EXPECT_EQ(job_.progressText, "Error: There was an unspecified error");
    const RefusingPort refusing;
    job_.sourceUrl = "ftp://127.0.0.1:" + std::to_string(refusing.port()) + "/file.bin";
    job_.running.store(1);
    runTransfer(job_);
    EXPECT_EQ(job_.progressText, "Error: Could not connect to host URL");
    EXPECT_EQ(fs::file_size(path), 0u);
}

TEST_F(TransferTest, RedirectsAreFollowedFiveHopsOnTheWebKeepingTheRange)
{
    // Five hops, through every redirect status, from a resumed file.
    const fs::path path = folder_ / "moved.bin";
    writeFile(path, generatedBytes(0, 20000));
    Outcome outcome = run("gen-300000-redir301-redir302-redir303-redir307-redir308", path, 0);
    EXPECT_EQ(splitBars(outcome.text).back(), "Completed");
    EXPECT_EQ(fs::file_size(path), 300000u);
    EXPECT_TRUE(isGeneratedPrefix(path));
    const auto requests = fileRequests();
    ASSERT_EQ(requests.size(), 6u);
    for (const auto& request : requests)
        EXPECT_EQ(request.header("Range"), "bytes=20000-") << request.target;
    EXPECT_EQ(requests.back().target, "/sendfile.php?id=gen-300000");

    // A sixth hop is one too many; an ftp:// address is not followed at all.
    for (const char* id : {"gen-1000-redir301-redir301-redir301-redir301-redir301-redir301",
                           "gen-1000-redirftp"}) {
        SCOPED_TRACE(id);
        const fs::path refused = folder_ / "refused.bin";
        outcome = run(id, refused, 1000);
        EXPECT_EQ(outcome.text, "Error: Could not connect to host URL");
        EXPECT_EQ(fs::file_size(refused), 0u);
    }
}

}  // namespace
}  // namespace qk::download
