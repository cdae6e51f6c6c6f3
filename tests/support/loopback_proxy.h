#pragma once
// Test fixture: a forward proxy on a free loopback port, run by a thread of plain sockets.
// It opens CONNECT tunnels and forwards absolute-form requests ("GET http://host:port/…")
// the way a corporate proxy does, or refuses them, and remembers what it was asked.
// Stopped and joined when it goes out of scope.

#include <mutex>
#include <string>
#include <vector>

#include "support/connection_acceptor.h"

namespace qk::test {

class LoopbackProxy {
public:
    enum class Answer {
        Relay,           // 200 to CONNECT and a byte tunnel; absolute-form requests forwarded
        Forbid,          // 403 Forbidden to everything
        AskCredentials,  // 407 Proxy Authentication Required to everything
    };

    // `credentials` ("user:password"): with AskCredentials, a request that carries them
    // (Basic) is relayed instead.
    explicit LoopbackProxy(Answer answer = Answer::Relay, std::string credentials = {});
    ~LoopbackProxy();
    LoopbackProxy(const LoopbackProxy&) = delete;
    LoopbackProxy& operator=(const LoopbackProxy&) = delete;

    [[nodiscard]] bool ok() const { return acceptor_.listening(); }
    [[nodiscard]] int port() const { return acceptor_.port(); }
    // "http://127.0.0.1:<port>", the form the proxy variables take.
    [[nodiscard]] std::string url() const;

    struct Seen {
        std::string method;  // "CONNECT", "GET", …
        std::string target;  // "host:port" for a tunnel, the absolute URL otherwise
    };
    // Every request the proxy was asked, in the order they arrived.
    [[nodiscard]] std::vector<Seen> seen() const;
    [[nodiscard]] int tunnels() const;    // CONNECT requests seen
    [[nodiscard]] int forwarded() const;  // absolute-form requests seen

private:
    void serve(int client);
    void record(const std::string& method, const std::string& target);

    Answer answer_;
    std::string authorization_;  // the Proxy-Authorization value accepted; empty: none
    mutable std::mutex mutex_;
    std::vector<Seen> seen_;
    // Last: it goes first, stopping the connections while what they use still exists.
    ConnectionAcceptor acceptor_;
};

}  // namespace qk::test
