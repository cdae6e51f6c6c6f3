// The agent's own downloads against the demo store: written to "<file>.part", continued
// only while the server still has the same file, verified and renamed into place, and
// never through a symbolic link.

#include "download/engine_texts.h"
#include "download/file_names.h"
#include "download/file_status.h"
#include "download/partial_identity.h"
#include "download/progress_text.h"
#include "download_fixture.h"

#include <chrono>
#include <thread>

namespace qk::download {
namespace {

using namespace qk::download::testing;
using namespace std::chrono_literals;

constexpr std::uint64_t kTotal = 1000000;

class PartialDownloadTest : public StoreSuite {
protected:
    void SetUp() override
    {
        StoreSuite::SetUp();
        if (!HasFatalFailure())
            store_->clearRequests();
    }

    // One download of `id` to "file.bin" through the job and its worker, to its end.
    std::string download(const std::string& id, const PartialPlan& plan = {"2.1", 0})
    {
        const int started =
            startDownload(job_, true, folder_.path().string(), fileUrl(*store_, id), "file.bin", kTotal, plan);
        EXPECT_EQ(started, 1);
        if (started != 1)
            return {};
        const auto until = std::chrono::steady_clock::now() + 30s;
        std::string text;
        while (readProgress(job_, text) && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(2ms);
        job_.worker.join();
        readProgress(job_, text);
        return text;
    }

    std::vector<test::LoggedRequest> fileRequests() const { return test::requestsMatching(*store_, {.server = "file1"}); }

    fs::path file() const { return folder_ / "file.bin"; }
    fs::path part() const { return folder_ / "file.bin.part"; }
    fs::path identity() const { return folder_ / "file.bin.part.id"; }

    DownloadJob job_;
};

bool completed(const std::string& text)
{
    return text.ends_with("|Completed");
}

TEST_F(PartialDownloadTest, CutTransferLeavesAPartThatTheNextStartContinuesWithIfRange)
{
    // The first attempt ends early: the bytes wait in the partial file, nothing is called
    // the file, and what identifies it lies beside it.
    EXPECT_EQ(download("gen-1000000-etagv1-cut300000"), std::string(kUnspecifiedError));
    EXPECT_FALSE(fs::exists(file()));
    EXPECT_EQ(fs::file_size(part()), 300000u);
    EXPECT_TRUE(isGeneratedPrefix(part()));
    const auto saved = readIdentity(identity().string());
    ASSERT_TRUE(saved);
    EXPECT_EQ(*saved, (PartialIdentity{"2.1", "1000000", "\"v1\"", "", saved->date}));
    EXPECT_FALSE(saved->date.empty()) << "the reply's Date is kept with its validators";

    store_->clearRequests();
    const std::string text = download("gen-1000000-etagv1");
    EXPECT_TRUE(completed(text)) << text;
    EXPECT_TRUE(text.starts_with("100.00000000|1000000|")) << "the percent counts the bytes already there";
    const auto requests = fileRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].header("Range"), "bytes=300000-");
    EXPECT_EQ(requests[0].header("If-Range"), "\"v1\"");
    EXPECT_EQ(job_.bytesReceived.load(), kTotal - 300000) << "only the missing bytes are fetched";

    EXPECT_TRUE(readFile(file()) == generatedBytes(0, kTotal));
    EXPECT_FALSE(fs::exists(part()));
    EXPECT_FALSE(fs::exists(identity()));
}

TEST_F(PartialDownloadTest, AFileChangedOnTheServerOrAnotherVersionStartsFromZero)
{
    // A new entity tag: the server answers If-Range with the whole file, and the partial
    // file is dropped for a request from byte 0.
    download("gen-1000000-etagv1-cut400000");
    store_->clearRequests();
    std::string text = download("gen-1000000-etagv2");
    EXPECT_TRUE(completed(text)) << text;
    auto requests = fileRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].header("Range"), "bytes=400000-");
    EXPECT_EQ(requests[0].header("If-Range"), "\"v1\"");
    EXPECT_EQ(requests[1].header("Range"), "bytes=0-");
    EXPECT_EQ(requests[1].headerCount("If-Range"), 0);
    EXPECT_TRUE(readFile(file()) == generatedBytes(0, kTotal));

    // Another version in the order: no range is asked at all. The old file stays until
    // the new download has started.
    fs::remove(file());
    download("gen-1000000-lastmod1700000000-cut250000");
    EXPECT_EQ(readIdentity(identity().string())->lastModified, "Tue, 14 Nov 2023 22:13:20 GMT");
    store_->clearRequests();
    text = download("gen-1000000-lastmod1700000000", {"2.2", 0});
    EXPECT_TRUE(completed(text)) << text;
    requests = fileRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].header("Range"), "bytes=0-");
    EXPECT_TRUE(readFile(file()) == generatedBytes(0, kTotal));
}

TEST_F(PartialDownloadTest, WithoutValidatorsAPartResumesOnVersionAndSizeAndADateIsSentBack)
{
    // A script that streams the file: no validator, so no If-Range; version and total decide.
    download("gen-1000000-cut100000");
    store_->clearRequests();
    download("gen-1000000-cut200000");
    EXPECT_EQ(fs::file_size(part()), 234464u) << "the cut counts the 65536 bytes compared again";
    EXPECT_TRUE(isGeneratedPrefix(part()));
    EXPECT_EQ(fileRequests()[0].header("Range"), "bytes=34464-") << "64 KiB before the end, compared first";
    EXPECT_EQ(fileRequests()[0].headerCount("If-Range"), 0);

    // The server now announces another total: the partial file is another file's.
    store_->clearRequests();
    EXPECT_TRUE(completed(download("gen-1200000", {"2.1", 0})));
    ASSERT_EQ(fileRequests().size(), 2u);
    EXPECT_EQ(fileRequests()[1].header("Range"), "bytes=0-");
    EXPECT_TRUE(readFile(file()) == generatedBytes(0, 1200000));

    // A Last-Modified date is what goes back when there is no strong entity tag.
    fs::remove(file());
    download("gen-1000000-lastmod1700000000-cut500000");
    store_->clearRequests();
    EXPECT_TRUE(completed(download("gen-1000000-lastmod1700000000")));
    ASSERT_EQ(fileRequests().size(), 1u);
    EXPECT_EQ(fileRequests()[0].header("If-Range"), "Tue, 14 Nov 2023 22:13:20 GMT");
    EXPECT_TRUE(readFile(file()) == generatedBytes(0, kTotal));
}

TEST_F(PartialDownloadTest, WrongTotalsAndServersIgnoringTheRangeNeverComplete)
{
    // The server's total is not the order's byte count: nothing is taken.
    std::string text = download("gen-1000000", {"2.1", 999999});
    EXPECT_EQ(text, std::string(kUnspecifiedError));
    EXPECT_FALSE(fs::exists(file()));
    EXPECT_FALSE(fs::exists(part())) << "an empty partial file is not kept";

    // The order's count is met: verified and renamed into place.
    EXPECT_TRUE(completed(download("gen-1000000", {"2.1", kTotal})));
    EXPECT_TRUE(readFile(file()) == generatedBytes(0, kTotal));

    // A download that never really started leaves the file of before as it was; one that
    // did removes it, so that it shows as not downloaded until the new one is whole.
    EXPECT_EQ(download("gen-1000000-500"), std::string(kUnspecifiedError));
    EXPECT_TRUE(readFile(file()) == generatedBytes(0, kTotal));
    download("gen-1000000-cut20000");
    EXPECT_FALSE(fs::exists(file()));
    ASSERT_EQ(fs::file_size(part()), 20000u);

    // A partial file continued at a server that ignores ranges: restarted from byte 0,
    // where that server's reply (no Content-Range) fails as always; the partial file is
    // kept as it was, since no reply that could refill it began.
    store_->clearRequests();
    EXPECT_EQ(download("gen-1000000-ignorerange"), std::string(kUnspecifiedError));
    EXPECT_EQ(fileRequests().size(), 2u);
    EXPECT_EQ(fs::file_size(part()), 20000u);
    EXPECT_TRUE(isGeneratedPrefix(part()));
    EXPECT_FALSE(fs::exists(file()));
    fs::remove(part());

    // A server error while continuing says nothing about the file: the partial file stays.
    download("gen-1000000-cut30000");
    EXPECT_EQ(download("gen-1000000-500"), std::string(kUnspecifiedError));
    EXPECT_EQ(fs::file_size(part()), 30000u);
}

TEST_F(PartialDownloadTest, SymbolicLinksInTheFolderAreRefusedAndTheirTargetsUntouched)
{
    const fs::path outside = folder_ / "outside";
    fs::create_directory(outside);
    const fs::path victim = outside / "victim.txt";
    writeFile(victim, "precious");
    for (const std::string name : {"file.bin", "file.bin.part", "file.bin.part.id", "file.bin.cfg"}) {
        SCOPED_TRACE(name);
        fs::create_symlink(victim, folder_ / name);
        EXPECT_EQ(startDownload(job_, true, folder_.path().string(), fileUrl(*store_, "gen-1000"), "file.bin", 1000,
                                PartialPlan{"1", 0}),
                  -2);
        EXPECT_TRUE(fs::is_symlink(folder_ / name));
        fs::remove(folder_ / name);
    }
    // A dangling link is refused as well: nothing is created at its target.
    fs::create_symlink(outside / "new.bin", part());
    EXPECT_EQ(startDownload(job_, true, folder_.path().string(), fileUrl(*store_, "gen-1000"), "file.bin", 1000,
                            PartialPlan{"1", 0}),
              -2);
    EXPECT_EQ(readFile(victim), "precious");
    EXPECT_FALSE(fs::exists(outside / "new.bin"));
    EXPECT_TRUE(fileRequests().empty());

    // A link planted after the start opened the partial file, while the server keeps its
    // reply back, is still not written through nor renamed into place.
    fs::remove(part());
    ASSERT_EQ(startDownload(job_, true, folder_.path().string(), fileUrl(*store_, "gen-1000-stall1000"), "file.bin",
                            1000, PartialPlan{"1", 0}),
              1);
    const auto giveUp = std::chrono::steady_clock::now() + 60s;
    while (!fs::is_regular_file(fs::symlink_status(part())) && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(1ms);
    ASSERT_TRUE(fs::is_regular_file(fs::symlink_status(part()))) << "the partial file was never opened";
    fs::remove(part());
    fs::create_symlink(victim, part());
    EXPECT_FALSE(job_.replyAccepted.load()) << "planted while the reply was still kept back";
    job_.worker.join();
    EXPECT_EQ(readFile(victim), "precious");
    EXPECT_FALSE(fs::is_symlink(file())) << "the link was not renamed into the file's place";
    EXPECT_FALSE(completed(job_.progressText));
}

TEST(FileNames, ACompanionOfAnotherListedFileIsNoFileOfItsOwn)
{
    const std::vector<FileListEntry> list{{"x", "10"}, {"x.cfg", "20"}, {"y.zip", "5"}, {"x.part", "1"}};
    EXPECT_TRUE(isCompanionOfListedFile("x.cfg", list));
    EXPECT_TRUE(isCompanionOfListedFile("x.part", list));
    EXPECT_TRUE(isCompanionOfListedFile("x.part.id", list));
    EXPECT_TRUE(isCompanionOfListedFile("x.part.cfg", list)) << "the record of x's partial file's name";
    EXPECT_FALSE(isCompanionOfListedFile("x", list));
    EXPECT_FALSE(isCompanionOfListedFile("y.zip", list));
    EXPECT_FALSE(isCompanionOfListedFile("y.cfg", list));
    EXPECT_FALSE(isCompanionOfListedFile(".cfg", {{"", "1"}}));

    // The panel never takes x's record, or its partial file, for the file "x.cfg" or "x.part".
    ScratchFolder folder;
    writeFile(folder / "x", "whole");
    writeFile(folder / "x.cfg", "vnproduct=P\r\nvnproductid=p\r\nfilename=x\r\ndate=d\r\nversion=1\r\n");
    writeFile(folder / "x.part", "half");
    for (const char* name : {"x.cfg", "x.part"}) {
        const FileStatus status = describeFileStatus({folder.path().string(), name, "1", "20 bytes", true, list});
        EXPECT_FALSE(status.downloaded) << name;
        EXPECT_TRUE(status.panelText.ends_with("Status: Not Downloaded")) << status.panelText;
    }
    EXPECT_TRUE(describeFileStatus({folder.path().string(), "x", "1", "10 bytes", true, list}).downloaded);
}

TEST(PartialIdentityText, ReadsBackOnlyWhatWasWritten)
{
    const PartialIdentity identity{"2.1", "5242880", "\"abc\"", "Tue, 14 Nov 2023 22:13:20 GMT"};
    EXPECT_EQ(parseIdentity(identityText(identity)), identity);
    EXPECT_FALSE(parseIdentity("version=2.1\r\ntotal=5\r\netag=\r\n"));
    EXPECT_FALSE(parseIdentity("total=5\r\nversion=2.1\r\netag=\r\nlast-modified=\r\n"));
    EXPECT_FALSE(parseIdentity(identityText(identity) + "more"));
    EXPECT_EQ(ifRangeValue(identity), "\"abc\"");
    const std::string modified = "Tue, 14 Nov 2023 22:13:20 GMT";
    EXPECT_EQ(ifRangeValue({"1", "5", "W/\"weak\"", modified, "Tue, 14 Nov 2023 22:13:21 GMT"}), modified)
        << "a weak tag is no If-Range; a date a second older than its reply is";
    EXPECT_EQ(ifRangeValue({"1", "5", "W/\"weak\"", modified, modified}), "") << "a date of its own second is weak";
    EXPECT_EQ(ifRangeValue({"1", "5", "", modified, ""}), "") << "without the reply's Date nothing proves it";
    EXPECT_EQ(ifRangeValue({"1", "5", "", ""}), "");
    EXPECT_EQ(parseIdentity("version=2.1\r\ntotal=5\r\netag=\r\nlast-modified=\r\n"),
              (PartialIdentity{"2.1", "5", "", "", ""}))
        << "an identity kept before the date still reads";

    // A version with a line break never reads back as itself: its partial file restarts.
    ScratchFolder folder;
    const std::string path = (folder / "f.part.id").string();
    ASSERT_TRUE(writeIdentity(path, {"2\n1", "5", "", ""}));
    const auto read = readIdentity(path);
    ASSERT_TRUE(read);
    EXPECT_NE(read->version, "2\n1");
}

}  // namespace
}  // namespace qk::download
