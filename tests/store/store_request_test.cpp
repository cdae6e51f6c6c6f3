#include <gtest/gtest.h>

#include <sys/socket.h>

#include <chrono>
#include <netinet/in.h>
#include <unistd.h>

#include "store/store_request.h"
#include "support/refusing_port.h"
#include "support/demo_store.h"

namespace {

const std::string kCatalogBody =
    "action=catalog&vendorid=tovrin&version=2.11&qk=2&channel=0&productid=";

class StoreExchange : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(store.ok()) << store.error();
        deployment = store.deployment();
        store.clearRequests();
    }

    // The one request the store logged since the last clear.
    qk::test::LoggedRequest onlyRequest()
    {
        const auto logged = store.requests();
        EXPECT_EQ(logged.size(), 1u);
        return logged.empty() ? qk::test::LoggedRequest{} : logged.front();
    }

    qk::test::DemoStore store;
    qk::Deployment deployment;
};

}  // namespace

TEST_F(StoreExchange, EmptyReplyStillCountsAsAnExchange)
{
    ASSERT_TRUE(store.control("catalog", "empty"));
    qk::StoreRequest request(deployment);
    request.reply = "stale";
    request.hasReply = 1;
    request.setUrl(deployment.storeUrl("/vnpurchase1.asp"));
    request.secure = 1;
    request.body = kCatalogBody;
    EXPECT_EQ(request.send(), qk::StoreRequest::kSent);
    EXPECT_EQ(request.hasReply, 0);
    EXPECT_EQ(request.replyBytes, 0);
    EXPECT_TRUE(request.reply.empty());
    EXPECT_EQ(onlyRequest().body, kCatalogBody);
}

TEST_F(StoreExchange, PlainExchangeUsesThePlainPortWithGetAndKeepsBinaryRepliesWhole)
{
    qk::StoreRequest request(deployment);
    request.setUrl("https://127.0.0.1:443/vendors/tovrin/logo_s.png");
    request.secure = 0;
    ASSERT_EQ(request.send(), 0);
    ASSERT_GT(request.replyBytes, 10240) << "a picture larger than one read";
    EXPECT_EQ(static_cast<std::size_t>(request.replyBytes), request.reply.size());
    EXPECT_EQ(request.hasReply, 1);
    EXPECT_EQ(request.reply.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_NE(request.reply.find('\0'), std::string::npos);
    // The image chunk ends the file: nothing was lost after the first NUL byte.
    EXPECT_EQ(request.reply.substr(request.reply.size() - 8, 4), "IEND");

    const auto logged = onlyRequest();
    EXPECT_EQ(logged.server, "http");
    EXPECT_EQ(logged.method, "GET");
    EXPECT_EQ(logged.target, "/vendors/tovrin/logo_s.png");
    EXPECT_TRUE(logged.body.empty());
    EXPECT_EQ(logged.headerCount("Content-Length"), 0) << "an empty body sends no data";
    EXPECT_EQ(logged.header("Content-Type"), "application/x-www-form-urlencoded")
        << "the one extra header goes with every exchange";
}

TEST_F(StoreExchange, SecureExchangePostsToTheTlsPortWhateverTheUrlSays)
{
    ASSERT_TRUE(store.control("catalog", "normal"));
    qk::StoreRequest request(deployment);
    request.setUrl("http://127.0.0.1:80/vnpurchase1.asp?session=EC-42&x=1");
    request.secure = 1;
    request.body = kCatalogBody;
    ASSERT_EQ(request.send(), 0);
    const auto logged = onlyRequest();
    EXPECT_EQ(logged.server, "https");
    EXPECT_EQ(logged.method, "POST");
    EXPECT_EQ(logged.target, "/vnpurchase1.asp?session=EC-42&x=1");
    EXPECT_EQ(logged.body, kCatalogBody);
}

TEST_F(StoreExchange, CarriesOnlyTheOneContentTypeHeaderAndTheBodyAsItStands)
{
    const std::string body =
        "action=getpurchases&version=2.11&qk=2&email=a%&b@c.d&password=" + std::string(3000, 'p') +
        std::string("\xE9\x01", 2);
    // Over 1 MiB, where libcurl would ask for "Expect: 100-continue" on its own. The TLS
    // store refuses bodies that large, so the plain exchange carries it.
    const std::string hugeBody = "qk=2&action=qknotify&vendorid=tovrin&pad=" + std::string(1100000, 'x');

    for (const std::uint8_t secure : {std::uint8_t{1}, std::uint8_t{0}}) {
        SCOPED_TRACE(static_cast<int>(secure));
        const std::string& sent = secure ? body : hugeBody;
        store.clearRequests();
        qk::StoreRequest request(deployment);
        request.setUrl(deployment.storeUrl("/vnpurchase1.asp"));
        request.secure = secure;
        request.body = sent;
        ASSERT_EQ(request.send(), 0);
        EXPECT_GT(request.replyBytes, 0);
        const auto logged = onlyRequest();
        EXPECT_EQ(logged.method, secure ? "POST" : "GET");
        EXPECT_TRUE(logged.body == sent) << "received " << logged.body.size() << " of "
                                         << sent.size() << " bytes";
        EXPECT_EQ(logged.headerCount("Content-Type"), 1);
        EXPECT_EQ(logged.header("Content-Type"), "application/x-www-form-urlencoded");
        EXPECT_EQ(logged.headerCount("Expect"), 0);
        EXPECT_EQ(logged.headerCount("Accept"), 0);
        EXPECT_EQ(logged.header("User-Agent"), "Varnel 3/0");
    }
}

TEST_F(StoreExchange, EmptySecureBodySendsTheHeaderAndNoData)
{
    qk::StoreRequest request(deployment);
    request.setUrl(deployment.storeUrl("/vnpurchase1.asp"));
    request.secure = 1;
    ASSERT_EQ(request.send(), 0);
    const auto logged = onlyRequest();
    EXPECT_EQ(logged.method, "POST");
    EXPECT_TRUE(logged.body.empty());
    EXPECT_EQ(logged.header("Content-Type"), "application/x-www-form-urlencoded");
}

TEST_F(StoreExchange, FailuresShowAsEmptyRepliesOrCodes)
{
    const qk::test::RefusingPort refusing;
    qk::Deployment refused = deployment;
    refused.storeHttpsPort = refusing.port();
    refused.storeHttpPort = refused.storeHttpsPort;
    for (const std::uint8_t secure : {std::uint8_t{1}, std::uint8_t{0}}) {
        qk::StoreRequest request(refused);
        request.setUrl(refused.storeUrl("/vnpurchase1.asp"));
        request.secure = secure;
        request.body = kCatalogBody;
        EXPECT_EQ(request.send(), 0);
        EXPECT_EQ(request.replyBytes, 0);
        EXPECT_EQ(request.hasReply, 0);
    }

    // A certificate nobody trusts: the handshake fails and nothing reaches the script.
    qk::Deployment untrusted = deployment;
    untrusted.caFile.clear();
    qk::StoreRequest request(untrusted);
    request.setUrl(untrusted.storeUrl("/vnpurchase1.asp"));
    request.secure = 1;
    request.body = kCatalogBody;
    EXPECT_EQ(request.send(), 0);
    EXPECT_EQ(request.replyBytes, 0);
    EXPECT_TRUE(request.reply.empty());
    EXPECT_TRUE(store.requests().empty());

    // A peer that accepts the connection and never answers: the exchange gives up.
    const int silent = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(silent, 4), 0);
    socklen_t length = sizeof address;
    ::getsockname(silent, reinterpret_cast<sockaddr*>(&address), &length);
    qk::Deployment stalled = deployment;
    stalled.storeHttpsPort = ntohs(address.sin_port);
    qk::StoreRequest waiting(stalled);
    waiting.giveUpSeconds = 2;
    waiting.setUrl(stalled.storeUrl("/vnpurchase1.asp"));
    waiting.secure = 1;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(waiting.send(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
    EXPECT_EQ(waiting.replyBytes, 0);
    ::close(silent);

    qk::StoreRequest noHost(deployment);
    noHost.setUrl("/vnpurchase1.asp");
    noHost.secure = 1;
    EXPECT_EQ(noHost.send(), qk::StoreRequest::kNoConnection);
    EXPECT_TRUE(store.requests().empty());
}

TEST_F(StoreExchange, PlainGetsFollowRedirectsButScriptPostsNever)
{
    qk::StoreRequest picture(deployment);
    picture.setUrl(deployment.storeUrl("/moved/vendors/tovrin/logo_s.png"));
    picture.secure = 0;
    picture.send();
    EXPECT_TRUE(picture.reply.starts_with("\x89PNG")) << picture.reply.substr(0, 40);
    auto logged = store.requests();
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(logged[1].target, "/vendors/tovrin/logo_s.png");

    // The notification is a GET with a body, and stays one after the hop.
    store.clearRequests();
    qk::StoreRequest notification(deployment);
    notification.setUrl(deployment.storeUrl("/moved/vnpurchase1.asp"));
    notification.secure = 0;
    notification.body = "qk=2&action=qknotify&vendorid=tovrin";
    notification.send();
    EXPECT_TRUE(notification.reply.starts_with("      1001")) << notification.reply;
    logged = store.requests();
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(logged[1].method, "GET");
    EXPECT_EQ(logged[1].body, "qk=2&action=qknotify&vendorid=tovrin");

    // A store script's body carries the password: its redirect is the answer, not a hop.
    store.clearRequests();
    qk::StoreRequest script(deployment);
    script.setUrl(deployment.storeUrl("/moved/vnpurchase1.asp"));
    script.secure = 1;
    script.body = "action=getpurchases&version=2.11&qk=2&email=pilot@tovrin.example&password=skylane182&vendorid=tovrin";
    script.send();
    EXPECT_TRUE(script.reply.starts_with("<!DOCTYPE")) << script.reply;
    EXPECT_EQ(onlyRequest().target, "/moved/vnpurchase1.asp");
}

TEST_F(StoreExchange, AReplyOverTheCapIsAFailedExchangeAndOneAtItIsReadWhole)
{
    EXPECT_EQ(qk::StoreRequest::kMaxReplyBytes, 64u * 1024 * 1024);
    const auto catalog = [this](std::size_t cap) {
        qk::StoreRequest request(deployment);
        request.maxReplyBytes = cap;
        request.setUrl(deployment.storeUrl("/vnpurchase1.asp"));
        request.secure = 1;
        request.body = kCatalogBody;
        EXPECT_EQ(request.send(), qk::StoreRequest::kSent);
        return std::make_pair(request.reply, request.hasReply);
    };
    const std::string whole = catalog(qk::StoreRequest::kMaxReplyBytes).first;
    ASSERT_GT(whole.size(), 1000u);

    EXPECT_EQ(catalog(whole.size()), std::make_pair(whole, 1));
    EXPECT_EQ(catalog(whole.size() - 1), std::make_pair(std::string(), 0));
    EXPECT_EQ(catalog(100), std::make_pair(std::string(), 0));
}
