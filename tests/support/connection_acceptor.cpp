#include "support/connection_acceptor.h"

#include <sys/socket.h>
#include <unistd.h>

#include "support/loopback_socket.h"

namespace qk::test {

bool ConnectionAcceptor::start(Serve serve)
{
    serve_ = std::move(serve);
    listener_ = net::listenLoopback(port_);
    if (listener_ < 0)
        return false;
    acceptor_ = std::thread([this] { acceptLoop(); });
    return true;
}

void ConnectionAcceptor::stop()
{
    stopping_.store(true);
    if (acceptor_.joinable())
        acceptor_.join();
    std::vector<std::thread> connections;
    {
        std::lock_guard guard(mutex_);
        connections.swap(connections_);
    }
    for (auto& connection : connections)
        connection.join();
    if (listener_ >= 0)
        ::close(listener_);
    listener_ = -1;
}

void ConnectionAcceptor::acceptLoop()
{
    while (net::waitReadable(listener_, stopping_)) {
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        std::lock_guard guard(mutex_);
        connections_.emplace_back([this, client] { serve_(client); });
    }
}

}  // namespace qk::test
