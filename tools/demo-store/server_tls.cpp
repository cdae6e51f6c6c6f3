#include "server_tls.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <cerrno>
#include <sys/socket.h>

namespace qk::demo {

std::shared_ptr<const ServerTls> ServerTls::load(const CertificateFiles& certificate, std::string& error) {
    SSL_CTX* context = SSL_CTX_new(TLS_server_method());
    if (context == nullptr) {
        error = "tls: cannot make a context";
        return nullptr;
    }
    std::shared_ptr<const ServerTls> tls(new ServerTls(context));
    if (SSL_CTX_use_certificate_chain_file(context, certificate.certificate.c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(context, certificate.privateKey.c_str(), SSL_FILETYPE_PEM) != 1 ||
        SSL_CTX_check_private_key(context) != 1) {
        error = "tls: cannot load the certificate";
        return nullptr;
    }
    SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION);
    return tls;
}

ServerTls::~ServerTls() { SSL_CTX_free(context_); }

SSL* ServerTls::accept(int fd) const {
    SSL* ssl = SSL_new(context_);
    if (ssl == nullptr) return nullptr;
    if (SSL_set_fd(ssl, fd) != 1 || SSL_accept(ssl) != 1) {
        ERR_clear_error();
        SSL_free(ssl);
        return nullptr;
    }
    return ssl;
}

Connection::~Connection() {
    if (tls_ != nullptr) SSL_free(tls_);
}

ssize_t Connection::receive(char* out, std::size_t size) {
    if (tls_ == nullptr) {
        while (true) {
            const ssize_t n = ::recv(fd_, out, size, 0);
            if (n < 0 && errno == EINTR) continue;
            return n;
        }
    }
    std::size_t got = 0;
    if (SSL_read_ex(tls_, out, size, &got) == 1) return static_cast<ssize_t>(got);
    const int reason = SSL_get_error(tls_, 0);
    ERR_clear_error();
    return reason == SSL_ERROR_ZERO_RETURN ? 0 : -1;
}

bool Connection::sendAll(const char* data, std::size_t size) {
    while (size > 0) {
        std::size_t sent = 0;
        if (tls_ != nullptr) {
            if (SSL_write_ex(tls_, data, size, &sent) != 1) {
                ERR_clear_error();
                return false;
            }
        } else {
            const ssize_t n = ::send(fd_, data, size, MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            sent = static_cast<std::size_t>(n);
        }
        data += sent;
        size -= sent;
    }
    return true;
}

void Connection::endWriting(bool cleanly) {
    if (tls_ != nullptr && cleanly) {
        SSL_shutdown(tls_);
        ERR_clear_error();
    }
    ::shutdown(fd_, SHUT_WR);
}

}  // namespace qk::demo
