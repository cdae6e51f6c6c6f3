#pragma once
// TLS for the socket server's connections: the file servers' HTTPS twins speak the same
// HTTP, with the same faults, over a TLS layer made from the store's certificate.

#include "certificate.h"

#include <cstddef>
#include <memory>
#include <string>
#include <sys/types.h>

using SSL = struct ssl_st;
using SSL_CTX = struct ssl_ctx_st;

namespace qk::demo {

// The server side of TLS with one certificate, shared by every connection.
class ServerTls {
public:
    // Loads the certificate and its key; null with a reason in `error` on failure.
    static std::shared_ptr<const ServerTls> load(const CertificateFiles& certificate, std::string& error);
    ~ServerTls();
    ServerTls(const ServerTls&) = delete;
    ServerTls& operator=(const ServerTls&) = delete;

    // Runs the handshake on an accepted socket; null when it fails. The caller frees
    // the result with SSL_free (through Connection).
    [[nodiscard]] SSL* accept(int fd) const;

private:
    explicit ServerTls(SSL_CTX* context) : context_(context) {}
    SSL_CTX* context_;
};

// One accepted connection, plain or over TLS.
class Connection {
public:
    explicit Connection(int fd, SSL* tls = nullptr) : fd_(fd), tls_(tls) {}
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    [[nodiscard]] int fd() const { return fd_; }
    [[nodiscard]] bool hasTls() const { return tls_ != nullptr; }
    // Some bytes (> 0), 0 at the peer's end, < 0 on an error.
    ssize_t receive(char* out, std::size_t size);
    bool sendAll(const char* data, std::size_t size);
    // Ends this side. `cleanly` false cuts the stream as a broken connection does: over
    // TLS without close_notify, so a client can tell a cut from the end of a reply.
    void endWriting(bool cleanly);

private:
    int fd_;
    SSL* tls_;
};

}  // namespace qk::demo
