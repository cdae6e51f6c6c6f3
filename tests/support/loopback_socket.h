#pragma once
// Plain-socket helpers of the loopback test servers (proxy, hostile store).

#include <atomic>
#include <cstddef>
#include <string>

namespace qk::test::net {

// A listening socket on 127.0.0.1 and a free port; -1 on failure.
int listenLoopback(int& port);

// A connected socket to host:port (numeric or a name); -1 on failure.
int connectTo(const std::string& host, int port);

// Waits until `fd` is readable (true) or `stopping` is set (false), checking the flag
// every 50 ms, so that a server thread never blocks past its owner's end.
bool waitReadable(int fd, const std::atomic<bool>& stopping);

// One recv() once readable: bytes appended to `into`; 0 at the peer's end, -1 on error
// or stop.
long receiveSome(int fd, std::string& into, const std::atomic<bool>& stopping);

// Sends every byte (MSG_NOSIGNAL); false when the peer is gone.
bool sendAll(int fd, const char* data, std::size_t size);
inline bool sendAll(int fd, const std::string& bytes) { return sendAll(fd, bytes.data(), bytes.size()); }

// Closes with an RST instead of a FIN (linger 0).
void closeWithReset(int fd);

// The value of a header in a request or reply head, case-insensitive; "" when absent.
std::string headerValue(const std::string& head, const std::string& name);

}  // namespace qk::test::net
