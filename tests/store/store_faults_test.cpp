// The store exchange against a store that misbehaves on the wire: it stalls, resets,
// cuts a TLS record, or ends a reply by closing the connection. Whatever happens, the
// exchange ends within its time-out, and a reply that did not arrive whole is no reply
// (what callers reject as a failed connection), never a piece taken for the whole.

#include <gtest/gtest.h>

#include <chrono>

#include "store/store_request.h"
#include "support/demo_store.h"
#include "support/hostile_server.h"
#include "support/proxy_environment.h"

namespace {

using qk::test::HostileServer;
using Ending = HostileServer::Ending;

constexpr int kGiveUpSeconds = 2;
// A store answer long enough to be read in more than one piece.
const std::string kAnswer = "success\n" + std::string(30000, 'r') + "\nend";

struct Outcome {
    int result = -1;
    std::string reply;
    int replyBytes = -1;
    int hasReply = -1;
    std::chrono::steady_clock::duration took{};
};

class StoreFaults : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(store.ok()) << store.error(); }

    // One exchange with a hostile server playing `script` in place of the store.
    Outcome exchange(HostileServer::Script script)
    {
        const bool tls = script.tls;
        HostileServer server(std::move(script), store.stateDir() / "store-cert.pem",
                             store.stateDir() / "store-key.pem");
        EXPECT_TRUE(server.ok()) << server.error();
        qk::Deployment hostile = store.deployment();
        hostile.storeHttpsPort = server.port();
        hostile.storeHttpPort = server.port();

        qk::StoreRequest request(hostile);
        request.giveUpSeconds = kGiveUpSeconds;
        request.setUrl(hostile.storeUrl("/vnpurchase1.asp"));
        request.secure = tls ? 1 : 0;
        request.body = "action=catalog&vendorid=tovrin&version=2.11&qk=2&channel=0&productid=";
        const auto started = std::chrono::steady_clock::now();
        Outcome outcome;
        outcome.result = request.send();
        outcome.took = std::chrono::steady_clock::now() - started;
        outcome.reply = request.reply;
        outcome.replyBytes = request.replyBytes;
        outcome.hasReply = request.hasReply;
        return outcome;
    }

    // A failed exchange: result 0, nothing in the reply, and given up after the test's own
    // short time-out, not the default 60 s (the margin holds on a slow, busy machine).
    static void expectFailed(const Outcome& outcome)
    {
        EXPECT_EQ(outcome.result, qk::StoreRequest::kSent);
        EXPECT_EQ(outcome.replyBytes, 0);
        EXPECT_EQ(outcome.hasReply, 0);
        EXPECT_TRUE(outcome.reply.empty()) << outcome.reply.size() << " bytes taken as a reply";
        EXPECT_LT(outcome.took, std::chrono::seconds(kGiveUpSeconds + 20));
    }

    static void expectWhole(const Outcome& outcome, const std::string& body)
    {
        EXPECT_EQ(outcome.result, qk::StoreRequest::kSent);
        EXPECT_TRUE(outcome.reply == body) << outcome.reply.size() << " of " << body.size() << " bytes";
        EXPECT_EQ(outcome.replyBytes, static_cast<int>(body.size()));
        EXPECT_EQ(outcome.hasReply, body.empty() ? 0 : 1);
    }

    static std::string withLength(const std::string& body)
    {
        return HostileServer::head("HTTP/1.1 200 OK", {"Content-Length: " + std::to_string(body.size())}) +
               body;
    }

    static std::string withoutLength(const std::string& body)
    {
        return HostileServer::head("HTTP/1.0 200 OK", {"Content-Type: text/html"}) + body;
    }

    // The head announces the whole answer; only its first part follows.
    static std::string cutShort() { return withLength(kAnswer).substr(0, 200 + kAnswer.size() / 3); }

    qk::test::ProxyEnvironment noProxy;
    qk::test::DemoStore store;
};

TEST_F(StoreFaults, AStoreThatStallsIsGivenUpWithinTheTimeOut)
{
    for (const bool tls : {true, false}) {
        SCOPED_TRACE(tls ? "TLS" : "plain");
        {
            SCOPED_TRACE("accepts and never answers, not even the handshake");
            expectFailed(exchange({.tls = tls, .silent = true, .reply = "", .ending = Ending::Stall}));
        }
        {
            SCOPED_TRACE("reads the request and never answers");
            expectFailed(exchange({.tls = tls, .reply = "", .ending = Ending::Stall}));
        }
        {
            SCOPED_TRACE("stops in the middle of the head");
            expectFailed(exchange({.tls = tls, .reply = "HTTP/1.1 200 OK\r\nContent-Le", .ending = Ending::Stall}));
        }
        {
            SCOPED_TRACE("stops in the middle of the body");
            expectFailed(exchange({.tls = tls, .reply = cutShort(), .ending = Ending::Stall}));
        }
        {
            SCOPED_TRACE("stops in the middle of a reply without length");
            expectFailed(exchange({.tls = tls, .reply = withoutLength(kAnswer), .ending = Ending::Stall}));
        }
    }
}

TEST_F(StoreFaults, AResetConnectionIsAFailedExchange)
{
    for (const bool tls : {true, false}) {
        SCOPED_TRACE(tls ? "TLS" : "plain");
        {
            SCOPED_TRACE("before any reply");
            expectFailed(exchange({.tls = tls, .reply = "", .ending = Ending::Reset}));
        }
        {
            SCOPED_TRACE("in the middle of the body");
            expectFailed(exchange({.tls = tls, .reply = cutShort(), .ending = Ending::Reset}));
        }
        {
            SCOPED_TRACE("in a reply whose end is the end of the connection");
            expectFailed(exchange({.tls = tls, .reply = withoutLength(kAnswer), .ending = Ending::Reset}));
        }
    }
}

TEST_F(StoreFaults, ATruncatedTlsRecordIsAFailedExchange)
{
    {
        SCOPED_TRACE("after part of a reply with length");
        expectFailed(exchange({.tls = true, .reply = cutShort(), .ending = Ending::TruncatedRecord}));
    }
    {
        SCOPED_TRACE("in a reply without length");
        expectFailed(exchange({.tls = true, .reply = withoutLength(kAnswer), .ending = Ending::TruncatedRecord}));
    }
    {
        SCOPED_TRACE("a connection closed without close_notify before the announced length");
        expectFailed(exchange({.tls = true, .reply = cutShort(), .ending = Ending::CloseAbruptly}));
    }
    {
        SCOPED_TRACE("the same without TLS: a FIN before the announced length");
        expectFailed(exchange({.tls = false, .reply = cutShort(), .ending = Ending::Close}));
    }
}

TEST_F(StoreFaults, AReplyWithoutLengthIsWholeOnlyWhenItsEndIsProvedClean)
{
    // HTTP/1.0 (and 1.1 without length or chunks) ends its body with the connection:
    // a FIN on plain TCP, TLS close_notify on TLS. That end is a complete reply.
    expectWhole(exchange({.tls = false, .reply = withoutLength(kAnswer), .ending = Ending::Close}), kAnswer);
    expectWhole(exchange({.tls = true, .reply = withoutLength(kAnswer), .ending = Ending::Close}), kAnswer);
    const std::string http11 = HostileServer::head("HTTP/1.1 200 OK", {"Connection: close"}) + kAnswer;
    expectWhole(exchange({.tls = true, .reply = http11, .ending = Ending::Close}), kAnswer);

    // Over TLS, a FIN without close_notify is what an attacker cutting the stream sends:
    // the end is not proved, so the reply may be a piece.
    expectFailed(exchange({.tls = true, .reply = withoutLength(kAnswer), .ending = Ending::CloseAbruptly}));

    // A reply with its length needs no proof of its end, close_notify or not.
    expectWhole(exchange({.tls = true, .reply = withLength(kAnswer), .ending = Ending::CloseAbruptly}), kAnswer);
    // Nor does an empty one.
    expectWhole(exchange({.tls = true, .reply = withLength(""), .ending = Ending::Reset}), "");
}

}  // namespace
