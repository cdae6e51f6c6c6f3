#pragma once
// Test fixture: a misbehaving web server on a free loopback port, raw sockets and
// OpenSSL, for the faults a real store or file server shows under a bad network: it
// stalls, stops mid-reply, resets the connection, cuts a TLS record, or closes without
// TLS close_notify. Each connection plays the same script. Stopped and joined when it
// goes out of scope.

#include <chrono>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "support/connection_acceptor.h"

namespace qk::test {

class HostileServer {
public:
    // How a connection ends after the reply bytes went out.
    enum class Ending {
        Close,            // TLS close_notify (when TLS), then a FIN: a clean end
        CloseAbruptly,    // a FIN with no TLS close_notify before it
        Reset,            // an RST
        Stall,            // nothing more, the connection held open until the server stops
        TruncatedRecord,  // TLS: half of one more record, then a FIN
    };

    struct Script {
        bool tls = true;
        // Accepts and then does nothing at all: no handshake, no reading, no reply.
        bool silent = false;
        std::string reply;  // sent once the whole request has been read
        Ending ending = Ending::Close;
        std::string truncatedRecordText = "more data that never fully arrives";
        // A pause between the reply and its ending, so that the client has read the
        // reply before a reset (which would otherwise drop bytes still in flight).
        int pauseMilliseconds = 0;
    };

    // TLS uses the PEM certificate and key given (the demo store's, so that its CA file
    // is trusted by the client).
    HostileServer(Script script, const std::filesystem::path& certificate, const std::filesystem::path& key);
    explicit HostileServer(Script script) : HostileServer(std::move(script), {}, {}) {}
    ~HostileServer();
    HostileServer(const HostileServer&) = delete;
    HostileServer& operator=(const HostileServer&) = delete;

    [[nodiscard]] bool ok() const { return ok_; }
    [[nodiscard]] const std::string& error() const { return error_; }
    [[nodiscard]] int port() const { return acceptor_.port(); }
    // The requests read so far (head and body), one per connection that got that far.
    [[nodiscard]] std::vector<std::string> requests() const;

    // An HTTP reply head with the given status line and header lines, ending in the blank line.
    static std::string head(const std::string& statusLine, const std::vector<std::string>& headers);

private:
    void serve(int client);

    Script script_;
    void* context_ = nullptr;  // SSL_CTX
    bool ok_ = false;
    std::string error_;
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    // Last: it goes first, stopping the connections while what they use still exists.
    ConnectionAcceptor acceptor_;
};

}  // namespace qk::test
