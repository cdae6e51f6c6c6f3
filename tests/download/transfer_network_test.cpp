// The engine behind the environment's proxy and against file servers that break the
// connection: a download goes through the proxy (tunnelled and still verified over
// TLS), a refusing proxy is a failed connection, and a transfer cut short is an error,
// never "Completed".

#include "download/transfer.h"
#include "download_fixture.h"
#include "support/hostile_server.h"
#include "support/loopback_proxy.h"
#include "support/proxy_environment.h"
#include "support/refusing_port.h"

#include <chrono>
#include <optional>

namespace qk::download {
namespace {

using namespace qk::download::testing;
using test::HostileServer;
using test::LoopbackProxy;
using Ending = HostileServer::Ending;

constexpr std::size_t kTotal = 100000;

struct Outcome {
    std::string text;
    std::string result;
};

class TransferNetwork : public StoreSuite {
protected:
    void SetUp() override
    {
        StoreSuite::SetUp();
        if (!HasFatalFailure())
            store_->clearRequests();
    }

    Outcome run(const std::string& url, const fs::path& path, std::uint64_t expected = kTotal)
    {
        job_.sourceUrl = url;
        job_.localPath = path.string();
        job_.expectedSize = expected;
        job_.caFile = store_->caFile();
        job_.receiveTimeoutSeconds = receiveTimeoutSeconds_;
        job_.running.store(1);
        EXPECT_EQ(runTransfer(job_), 0);
        EXPECT_EQ(job_.running.load(), 0);
        EXPECT_EQ(job_.localFile, -1);
        return {job_.progressText, job_.resultMessage};
    }

    // A TLS file server that plays `script`, with the demo store's certificate.
    std::unique_ptr<HostileServer> tlsServer(HostileServer::Script script)
    {
        auto server = std::make_unique<HostileServer>(std::move(script), store_->stateDir() / "store-cert.pem",
                                                      store_->stateDir() / "store-key.pem");
        EXPECT_TRUE(server->ok()) << server->error();
        return server;
    }

    static std::string httpsUrl(const HostileServer& server)
    {
        return "https://127.0.0.1:" + std::to_string(server.port()) + "/sendfile.php?id=gen-100000";
    }

    // The reply of a file server to "Range: bytes=0-", with the first `sent` bytes.
    static std::string rangedReply(std::size_t sent, bool withLength = true)
    {
        std::vector<std::string> headers = {"Content-Range: bytes 0-" + std::to_string(kTotal - 1) + "/" +
                                            std::to_string(kTotal)};
        if (withLength)
            headers.push_back("Content-Length: " + std::to_string(kTotal));
        return HostileServer::head(withLength ? "HTTP/1.1 206 Partial Content" : "HTTP/1.0 206 Partial Content",
                                   headers) +
               generatedBytes(0, sent);
    }

    test::ProxyEnvironment environment_;
    DownloadJob job_;
    long receiveTimeoutSeconds_ = 5;  // given to each run()
};

TEST_F(TransferNetwork, PlainDownloadsGoThroughHttpProxyUnlessNoProxyNamesTheHost)
{
    LoopbackProxy proxy;
    ASSERT_TRUE(proxy.ok());
    environment_.use({{"http_proxy", proxy.url()}});
    const fs::path path = folder_ / "proxied.bin";
    writeFile(path, generatedBytes(0, 20000));
    Outcome outcome = run(fileUrl(*store_, "gen-300000"), path, 0);
    EXPECT_EQ(splitBars(outcome.text).back(), "Completed") << outcome.text;
    EXPECT_TRUE(readFile(path) == generatedBytes(0, 300000));
    const auto seen = proxy.seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].method, "GET");
    EXPECT_EQ(seen[0].target, fileUrl(*store_, "gen-300000"));
    const auto logged = store_->requests();
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].header("Range"), "bytes=20000-") << "the range passes the proxy";

    environment_.use({{"http_proxy", proxy.url()}, {"no_proxy", "localhost,127.0.0.1"}});
    const fs::path direct = folder_ / "direct.bin";
    outcome = run(fileUrl(*store_, "gen-1000"), direct, 0);
    EXPECT_EQ(splitBars(outcome.text).back(), "Completed") << outcome.text;
    EXPECT_EQ(proxy.seen().size(), 1u) << "no_proxy went direct";
}

TEST_F(TransferNetwork, HttpsDownloadsTunnelThroughTheProxyAndStillVerifyTheServer)
{
    LoopbackProxy proxy;
    ASSERT_TRUE(proxy.ok());
    auto server = tlsServer({.reply = rangedReply(kTotal), .ending = Ending::Close});
    environment_.use({{"https_proxy", proxy.url()}});

    const fs::path path = folder_ / "tunnel.bin";
    Outcome outcome = run(httpsUrl(*server), path);
    EXPECT_EQ(splitBars(outcome.text).back(), "Completed") << outcome.text;
    EXPECT_EQ(outcome.result, "Data has been downloaded");
    EXPECT_TRUE(readFile(path) == generatedBytes(0, kTotal));
    ASSERT_EQ(proxy.tunnels(), 1);
    EXPECT_EQ(proxy.seen()[0].target, "127.0.0.1:" + std::to_string(server->port()));
    ASSERT_EQ(server->requests().size(), 1u);
    EXPECT_NE(server->requests()[0].find("\r\nRange: bytes=0-\r\n"), std::string::npos);

    // A certificate the agent does not trust fails inside the tunnel as it does without one.
    const fs::path untrusted = folder_ / "untrusted.bin";
    job_.sourceUrl = httpsUrl(*server);
    job_.localPath = untrusted.string();
    job_.expectedSize = kTotal;
    job_.running.store(1);
    job_.caFile.clear();
    runTransfer(job_);
    EXPECT_EQ(job_.progressText, "Error: Could not connect to host URL");
    EXPECT_EQ(proxy.tunnels(), 2);
    EXPECT_EQ(server->requests().size(), 1u) << "no request went over the unverified connection";
    EXPECT_EQ(fs::file_size(untrusted), 0u);
}

TEST_F(TransferNetwork, ARefusingProxyIsAFailedConnection)
{
    auto server = tlsServer({.reply = rangedReply(kTotal), .ending = Ending::Close});
    struct Case {
        const char* name;
        std::optional<LoopbackProxy::Answer> answer;
        const char* tunnelText;
        const char* plainText;
    };
    // The connection failure's text carries the failure's code: libcurl's for a proxy
    // nobody listens on, else the proxy's status. A 403 to a plain request may be the
    // file server's own (an expired link), so it stays a refused reply.
    const Case cases[] = {
        {"closed port", std::nullopt, "7 Error: Could not connect to host name",
         "7 Error: Could not connect to host name"},
        {"403", LoopbackProxy::Answer::Forbid, "403 Error: Could not connect to host name",
         "Error: There was an unspecified error"},
        {"407", LoopbackProxy::Answer::AskCredentials, "407 Error: Could not connect to host name",
         "407 Error: Could not connect to host name"},
    };
    // A time-out far beyond what a refusal takes, so the time below tells "refused at
    // once" from "waited for the time-out" however slow the machine.
    receiveTimeoutSeconds_ = 30;
    for (const Case& fault : cases) {
        std::optional<LoopbackProxy> proxy;
        const test::RefusingPort refusing;
        std::string proxyUrl = "http://127.0.0.1:" + std::to_string(refusing.port());
        if (fault.answer) {
            proxy.emplace(*fault.answer);
            proxyUrl = proxy->url();
        }
        environment_.use({{"https_proxy", proxyUrl}, {"http_proxy", proxyUrl}});
        for (const bool tls : {true, false}) {
            SCOPED_TRACE(std::string(fault.name) + (tls ? " tunnel" : " plain"));
            store_->clearRequests();
            const fs::path path = folder_ / "refused.bin";
            const auto started = std::chrono::steady_clock::now();
            const Outcome outcome = run(tls ? httpsUrl(*server) : fileUrl(*store_, "gen-100000"), path);
            EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(receiveTimeoutSeconds_ / 2));
            EXPECT_EQ(outcome.text, tls ? fault.tunnelText : fault.plainText);
            EXPECT_EQ(outcome.result, outcome.text);
            EXPECT_EQ(fs::file_size(path), 0u);
            EXPECT_TRUE(store_->requests().empty()) << "no direct connection instead";
        }
        EXPECT_EQ(server->requests().size(), 0u);
    }
}

TEST_F(TransferNetwork, ATransferCutShortIsAnErrorWithACorrectPrefix)
{
    struct Cut {
        const char* name;
        bool tls;
        bool withLength;
        Ending ending;
    };
    const Cut cuts[] = {
        {"TLS reset", true, true, Ending::Reset},
        {"TLS truncated record", true, true, Ending::TruncatedRecord},
        {"TLS FIN without close_notify", true, true, Ending::CloseAbruptly},
        {"TLS without length, truncated record", true, false, Ending::TruncatedRecord},
        {"TLS without length, FIN without close_notify", true, false, Ending::CloseAbruptly},
        {"TLS without length, close_notify", true, false, Ending::Close},
        {"plain reset", false, true, Ending::Reset},
        {"plain without length, reset", false, false, Ending::Reset},
        {"plain without length, FIN", false, false, Ending::Close},
    };
    constexpr std::size_t kSent = 30000;
    for (const Cut& cut : cuts) {
        SCOPED_TRACE(cut.name);
        HostileServer::Script script{.tls = cut.tls, .reply = rangedReply(kSent, cut.withLength),
                                     .ending = cut.ending, .pauseMilliseconds = 300};
        auto server = cut.tls ? tlsServer(std::move(script)) : std::make_unique<HostileServer>(std::move(script));
        const std::string url = std::string(cut.tls ? "https" : "http") + "://127.0.0.1:" +
                                std::to_string(server->port()) + "/sendfile.php?id=gen-100000";
        const fs::path path = folder_ / "cut.bin";
        fs::remove(path);
        const Outcome outcome = run(url, path);
        EXPECT_EQ(outcome.text, "Error: There was an unspecified error");
        EXPECT_EQ(outcome.result, outcome.text);
        EXPECT_EQ(fs::file_size(path), kSent) << "what arrived is kept for the resume";
        EXPECT_TRUE(isGeneratedPrefix(path));
    }

    // The same server ending cleanly after the whole file is a completed transfer, with
    // or without a length, since the range's total says what the whole is.
    for (const bool withLength : {true, false}) {
        SCOPED_TRACE(withLength ? "whole, with length" : "whole, without length");
        auto server = tlsServer({.reply = rangedReply(kTotal, withLength), .ending = Ending::CloseAbruptly});
        const fs::path path = folder_ / "whole.bin";
        fs::remove(path);
        const Outcome outcome = run(httpsUrl(*server), path);
        EXPECT_EQ(splitBars(outcome.text).back(), "Completed") << outcome.text;
        EXPECT_TRUE(readFile(path) == generatedBytes(0, kTotal));
    }
}

TEST_F(TransferNetwork, AStalledTlsServerIsGivenUpWithinTheReceiveTimeOut)
{
    for (const bool silent : {true, false}) {
        SCOPED_TRACE(silent ? "no handshake" : "stops mid-file");
        auto server = tlsServer({.silent = silent, .reply = rangedReply(kTotal / 2), .ending = Ending::Stall});
        const fs::path path = folder_ / "stalled.bin";
        fs::remove(path);
        job_.sourceUrl = httpsUrl(*server);
        job_.localPath = path.string();
        job_.expectedSize = kTotal;
        job_.caFile = store_->caFile();
        job_.receiveTimeoutSeconds = 2;
        job_.running.store(1);
        const auto started = std::chrono::steady_clock::now();
        runTransfer(job_);
        // Given up after its own 2 s, not the job's default 30 s (nor never), on any machine.
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(15));
        EXPECT_EQ(job_.progressText, silent ? "Error: Could not connect to host URL"
                                            : "Error: There was an unspecified error");
        EXPECT_EQ(fs::file_size(path), silent ? 0u : kTotal / 2);
    }
}

}  // namespace
}  // namespace qk::download
