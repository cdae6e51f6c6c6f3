// File servers named as https://: the file URL takes the scheme, the transfer is
// verified with the deployment's CA file (in qk-fetch too), and a redirect never leads
// a file asked for over HTTPS onto plain HTTP. Against the demo store's TLS file servers.

#include "download/file_id.h"
#include "download/transfer.h"
#include "download_fixture.h"

#include <sys/wait.h>

#include <cstdio>

namespace qk::download {
namespace {

using namespace qk::download::testing;

TEST(HttpsFileUrl, TheDeploymentsSchemeDecidesAndABareHostStaysPlainHttp)
{
    EXPECT_EQ(fileUrl("files.example.com", "a1"), "http://files.example.com/sendfile.php?id=a1");
    EXPECT_EQ(fileUrl("files.example.com:8080", "a1"), "http://files.example.com:8080/sendfile.php?id=a1");
    EXPECT_EQ(fileUrl("http://files.example.com:8080", "a1"), "http://files.example.com:8080/sendfile.php?id=a1");
    EXPECT_EQ(fileUrl("https://files.example.com", "a1"), "https://files.example.com/sendfile.php?id=a1");
    EXPECT_EQ(fileUrl("HTTPS://files.example.com:8443/", "a1"), "https://files.example.com:8443/sendfile.php?id=a1");

    EXPECT_STREQ(redirectProtocolsFor("https://files.example.com/sendfile.php?id=a1"), "https");
    EXPECT_STREQ(redirectProtocolsFor("HTTPS://files.example.com/sendfile.php?id=a1"), "https");
    EXPECT_STREQ(redirectProtocolsFor("http://files.example.com/sendfile.php?id=a1"), "http,https");
}

class HttpsFileServer : public StoreSuite {
protected:
    void SetUp() override
    {
        StoreSuite::SetUp();
        if (HasFatalFailure())
            return;
        store_->clearRequests();
        job_.caFile = store_->caFile();
        job_.receiveTimeoutSeconds = 5;
    }

    static std::string tlsUrl(const std::string& id, bool primary = true)
    {
        const int port = primary ? store_->filePrimaryTlsPort() : store_->fileSecondaryTlsPort();
        return fileUrl("https://127.0.0.1:" + std::to_string(port), id);
    }

    std::string run(const std::string& url, const fs::path& path, std::uint64_t expected = 0)
    {
        job_.sourceUrl = url;
        job_.localPath = path.string();
        job_.expectedSize = expected;
        job_.running.store(1);
        runTransfer(job_);
        return job_.progressText;
    }

    std::vector<test::LoggedRequest> requestsOn(std::string_view server)
    {
        return test::requestsMatching(*store_, {.server = server});
    }

    DownloadJob job_;
};

TEST_F(HttpsFileServer, ExactBytesOverVerifiedTlsAlsoWhenResumed)
{
    const fs::path path = folder_ / "secure.bin";
    std::string text = run(tlsUrl("gen-3000000"), path);
    EXPECT_EQ(splitBars(text).back(), "Completed") << text;
    EXPECT_EQ(job_.resultMessage, "Data has been downloaded");
    EXPECT_TRUE(readFile(path) == generatedBytes(0, 3000000));

    const fs::path partial = folder_ / "partial.bin";
    writeFile(partial, generatedBytes(0, 1234567));
    text = run(tlsUrl("gen-3000000"), partial);
    EXPECT_EQ(splitBars(text).back(), "Completed") << text;
    EXPECT_TRUE(readFile(partial) == generatedBytes(0, 3000000));

    // A connection cut mid-file over TLS is an error, with what came kept intact.
    const fs::path cut = folder_ / "cut.bin";
    EXPECT_EQ(run(tlsUrl("gen-300000-cut40000"), cut, 300000), "Error: There was an unspecified error");
    EXPECT_TRUE(readFile(cut) == generatedBytes(0, 40000));

    const auto seen = requestsOn("file1tls");
    ASSERT_EQ(seen.size(), 3u) << "all went to the TLS file server";
    EXPECT_EQ(seen[0].header("Range"), "bytes=0-");
    EXPECT_EQ(seen[1].header("Range"), "bytes=1234567-");
    EXPECT_TRUE(requestsOn("file1").empty());
}

TEST_F(HttpsFileServer, AnUntrustedCertificateIsAFailedConnectionAndNoRequest)
{
    job_.caFile.clear();
    const fs::path path = folder_ / "untrusted.bin";
    EXPECT_EQ(run(tlsUrl("gen-100000"), path, 100000), "Error: Could not connect to host URL");
    EXPECT_EQ(job_.resultMessage, "Error: Could not connect to host URL");
    EXPECT_EQ(fs::file_size(path), 0u);
    EXPECT_TRUE(requestsOn("file1tls").empty()) << "nothing went over the unverified connection";
}

TEST_F(HttpsFileServer, RedirectsAreFollowedOnHttpsButNeverDownToPlainHttp)
{
    const fs::path hops = folder_ / "hops.bin";
    std::string text = run(tlsUrl("gen-200000-redir301-redir302"), hops);
    EXPECT_EQ(splitBars(text).back(), "Completed") << text;
    EXPECT_TRUE(readFile(hops) == generatedBytes(0, 200000));
    EXPECT_EQ(requestsOn("file1tls").size(), 3u);

    // The secondary in redirecting mode sends every request to the plain-HTTP mirror.
    ASSERT_TRUE(store_->control("secondary", "redirect"));
    store_->clearRequests();
    const fs::path downgraded = folder_ / "downgraded.bin";
    text = run(tlsUrl("gen-200000", false), downgraded, 200000);
    ASSERT_TRUE(store_->control("secondary", "serve"));
    EXPECT_EQ(text, "Error: Could not connect to host URL");
    EXPECT_EQ(fs::file_size(downgraded), 0u);
    EXPECT_EQ(requestsOn("file2tls").size(), 1u);
    EXPECT_TRUE(requestsOn("http").empty()) << "the plain-HTTP mirror was never asked";

    // From plain HTTP the same redirect is followed, as before.
    ASSERT_TRUE(store_->control("secondary", "redirect"));
    const fs::path plain = folder_ / "plain.bin";
    text = run(fileUrl(*store_, "gen-200000", false), plain);
    ASSERT_TRUE(store_->control("secondary", "serve"));
    EXPECT_EQ(splitBars(text).back(), "Completed") << text;
    EXPECT_TRUE(readFile(plain) == generatedBytes(0, 200000));
}

struct ToolRun {
    int exitCode = -1;
    std::string lastLine;
};

ToolRun runFetch(const std::string& environment, const std::string& url, const fs::path& target)
{
    ToolRun run;
    const std::string command =
        environment + " " + QK_FETCH_EXE + " '" + url + "' '" + target.string() + "' 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char line[4096];
    while (std::fgets(line, sizeof line, pipe)) {
        run.lastLine = line;
        if (!run.lastLine.empty() && run.lastLine.back() == '\n')
            run.lastLine.pop_back();
    }
    const int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST_F(HttpsFileServer, FetchToolTrustsTheCaFileTheEnvironmentNames)
{
    const fs::path target = folder_ / "tool.bin";
    ToolRun run = runFetch("QKAGENT_CA_FILE='" + store_->caFile() + "'", tlsUrl("gen-500000"), target);
    EXPECT_EQ(run.exitCode, 0) << run.lastLine;
    EXPECT_EQ(run.lastLine, "Data has been downloaded");
    EXPECT_TRUE(readFile(target) == generatedBytes(0, 500000));

    run = runFetch("env -u QKAGENT_CA_FILE", tlsUrl("gen-500000"), target);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.lastLine, "Error: Could not connect to host URL");
}

}  // namespace
}  // namespace qk::download
