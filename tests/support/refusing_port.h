#pragma once
// A loopback port that refuses every connection for as long as this object lives: a
// socket bound to it but never listening answers a connection attempt with a reset, and
// no other socket can take the port meanwhile.

namespace qk::test {

class RefusingPort {
public:
    RefusingPort();
    ~RefusingPort();
    RefusingPort(const RefusingPort&) = delete;
    RefusingPort& operator=(const RefusingPort&) = delete;

    [[nodiscard]] int port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
};

}  // namespace qk::test
