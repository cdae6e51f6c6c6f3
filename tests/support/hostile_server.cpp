#include "support/hostile_server.h"

#include "support/loopback_socket.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

namespace qk::test {
namespace {

// TLS over memory BIOs, pumped by hand: every record the server writes can be held
// back, cut or sent whole.
class TlsChannel {
public:
    TlsChannel(SSL_CTX* context, int fd, const std::atomic<bool>& stopping)
        : ssl_(SSL_new(context)), fd_(fd), stopping_(stopping)
    {
        in_ = BIO_new(BIO_s_mem());
        out_ = BIO_new(BIO_s_mem());
        SSL_set_bio(ssl_, in_, out_);  // owned by the SSL from here
        SSL_set_accept_state(ssl_);
    }
    ~TlsChannel() { SSL_free(ssl_); }
    TlsChannel(const TlsChannel&) = delete;
    TlsChannel& operator=(const TlsChannel&) = delete;

    bool handshake()
    {
        while (true) {
            const int result = SSL_do_handshake(ssl_);
            if (!flush())
                return false;
            if (result == 1)
                return true;
            if (SSL_get_error(ssl_, result) != SSL_ERROR_WANT_READ || !fill())
                return false;
        }
    }

    // Appends decrypted bytes; false at the end or on an error.
    bool read(std::string& into)
    {
        char buffer[16384];
        while (true) {
            const int got = SSL_read(ssl_, buffer, sizeof buffer);
            if (got > 0) {
                into.append(buffer, static_cast<std::size_t>(got));
                return true;
            }
            flush();
            if (SSL_get_error(ssl_, got) != SSL_ERROR_WANT_READ || !fill())
                return false;
        }
    }

    bool write(const std::string& bytes) { return bytes.empty() || (encrypt(bytes) && flush()); }

    // One more record of which only the first half reaches the peer.
    bool writeHalfRecord(const std::string& bytes)
    {
        if (!flush() || !encrypt(bytes))
            return false;
        const std::string record = pending();
        return net::sendAll(fd_, record.data(), record.size() / 2);
    }

    bool closeNotify()
    {
        SSL_shutdown(ssl_);
        return flush();
    }

private:
    bool encrypt(const std::string& bytes)
    {
        return SSL_write(ssl_, bytes.data(), static_cast<int>(bytes.size())) == static_cast<int>(bytes.size());
    }
    std::string pending()
    {
        std::string bytes;
        char buffer[16384];
        int got = 0;
        while ((got = BIO_read(out_, buffer, sizeof buffer)) > 0)
            bytes.append(buffer, static_cast<std::size_t>(got));
        return bytes;
    }
    bool flush() { return net::sendAll(fd_, pending()); }
    bool fill()
    {
        std::string bytes;
        if (net::receiveSome(fd_, bytes, stopping_) <= 0)
            return false;
        return BIO_write(in_, bytes.data(), static_cast<int>(bytes.size())) == static_cast<int>(bytes.size());
    }

    SSL* ssl_;
    BIO* in_ = nullptr;
    BIO* out_ = nullptr;
    int fd_;
    const std::atomic<bool>& stopping_;
};

// True once `bytes` holds a whole request: its head and the body its length names.
bool wholeRequest(const std::string& bytes)
{
    const std::size_t headEnd = bytes.find("\r\n\r\n");
    if (headEnd == std::string::npos)
        return false;
    const std::string length = net::headerValue(bytes.substr(0, headEnd + 2), "Content-Length");
    const std::size_t body = length.empty() ? 0 : std::strtoul(length.c_str(), nullptr, 10);
    return bytes.size() >= headEnd + 4 + body;
}

}  // namespace

HostileServer::HostileServer(Script script, const std::filesystem::path& certificate,
                             const std::filesystem::path& key)
    : script_(std::move(script))
{
    if (script_.tls) {
        SSL_CTX* context = SSL_CTX_new(TLS_server_method());
        context_ = context;
        if (!context || SSL_CTX_use_certificate_chain_file(context, certificate.c_str()) != 1 ||
            SSL_CTX_use_PrivateKey_file(context, key.c_str(), SSL_FILETYPE_PEM) != 1) {
            error_ = "cannot load the certificate " + certificate.string();
            return;
        }
    }
    if (!acceptor_.start([this](int client) { serve(client); })) {
        error_ = "cannot listen on loopback";
        return;
    }
    ok_ = true;
}

HostileServer::~HostileServer()
{
    acceptor_.stop();  // every connection ends before their TLS context goes
    SSL_CTX_free(static_cast<SSL_CTX*>(context_));
}

std::vector<std::string> HostileServer::requests() const
{
    std::lock_guard guard(mutex_);
    return requests_;
}

std::string HostileServer::head(const std::string& statusLine, const std::vector<std::string>& headers)
{
    std::string text = statusLine + "\r\n";
    for (const auto& header : headers)
        text += header + "\r\n";
    return text + "\r\n";
}

void HostileServer::serve(int client)
{
    const auto holdOpen = [this, client] {
        while (!acceptor_.stopping().load()) {
            std::string ignored;
            if (net::receiveSome(client, ignored, acceptor_.stopping()) == 0)
                break;  // the client gave up
        }
    };
    if (script_.silent) {
        holdOpen();
        ::close(client);
        return;
    }

    std::unique_ptr<TlsChannel> tls;
    if (script_.tls) {
        tls = std::make_unique<TlsChannel>(static_cast<SSL_CTX*>(context_), client, acceptor_.stopping());
        if (!tls->handshake()) {
            ::close(client);
            return;
        }
    }
    std::string request;
    while (!wholeRequest(request)) {
        const bool more = tls ? tls->read(request) : net::receiveSome(client, request, acceptor_.stopping()) > 0;
        if (!more) {
            ::close(client);
            return;
        }
    }
    {
        std::lock_guard guard(mutex_);
        requests_.push_back(request);
    }

    const bool sent = tls ? tls->write(script_.reply) : net::sendAll(client, script_.reply);
    if (!sent) {
        ::close(client);
        return;
    }
    if (script_.pauseMilliseconds > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(script_.pauseMilliseconds));
    switch (script_.ending) {
    case Ending::Close:
        if (tls)
            tls->closeNotify();
        ::shutdown(client, SHUT_WR);
        holdOpen();  // until the client has read all and closed its end
        ::close(client);
        break;
    case Ending::CloseAbruptly:
        ::shutdown(client, SHUT_WR);
        holdOpen();
        ::close(client);
        break;
    case Ending::Reset:
        net::closeWithReset(client);
        break;
    case Ending::Stall:
        holdOpen();
        ::close(client);
        break;
    case Ending::TruncatedRecord:
        if (tls)
            tls->writeHalfRecord(script_.truncatedRecordText);
        ::shutdown(client, SHUT_WR);
        holdOpen();
        ::close(client);
        break;
    }
}

}  // namespace qk::test
