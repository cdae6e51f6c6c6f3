#pragma once
// The accepting side of the loopback test servers: listens on a free loopback port and
// serves each accepted connection on a thread of its own. stop() (or the end of its
// scope) raises the stopping flag the connections watch, then joins the accepting
// thread and every connection before the listener closes.

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace qk::test {

class ConnectionAcceptor {
public:
    using Serve = std::function<void(int client)>;  // owns the connected socket

    ConnectionAcceptor() = default;
    ~ConnectionAcceptor() { stop(); }
    ConnectionAcceptor(const ConnectionAcceptor&) = delete;
    ConnectionAcceptor& operator=(const ConnectionAcceptor&) = delete;

    // Listens and starts accepting; false when no loopback port could be had.
    bool start(Serve serve);
    void stop();

    [[nodiscard]] bool listening() const { return listener_ >= 0; }
    [[nodiscard]] int port() const { return port_; }
    // Set once stop() began: a connection's blocking waits end on it.
    [[nodiscard]] const std::atomic<bool>& stopping() const { return stopping_; }

private:
    void acceptLoop();

    Serve serve_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread acceptor_;
    std::mutex mutex_;
    std::vector<std::thread> connections_;
};

}  // namespace qk::test
