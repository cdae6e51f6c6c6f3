#pragma once
// The store scripts over HTTPS, on the HTTP library's TLS server.

#include "certificate.h"
#include "request_log.h"
#include "store_scripts.h"

#include <memory>
#include <string>
#include <thread>

namespace httplib { class SSLServer; }

namespace qk::demo {

class HttpsStore {
public:
    HttpsStore(RequestLog& log, StoreContext& store);
    ~HttpsStore();
    HttpsStore(const HttpsStore&) = delete;
    HttpsStore& operator=(const HttpsStore&) = delete;

    // Binds 127.0.0.1:port (0: a free port) and starts serving.
    bool start(const CertificateFiles& certificate, int port, std::string& error);
    [[nodiscard]] int port() const { return port_; }
    void stop();

private:
    RequestLog& log_;
    StoreContext& store_;
    std::unique_ptr<httplib::SSLServer> server_;
    std::thread thread_;
    int port_ = 0;
};

}  // namespace qk::demo
