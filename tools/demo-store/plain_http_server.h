#pragma once
// A small HTTP/1.1 server on raw sockets for the store's plain-HTTP ports. Written by
// hand rather than on the HTTP library because these ports must (a) read the body of
// a GET request (the agent's notification request is one), and (b) send replies that
// a well-behaved library refuses to produce: cut connections, stalls, missing or
// wrong length and range headers. Given a certificate (useTls) it speaks the same over
// TLS, for the HTTPS twins of the file servers.

#include "request_log.h"
#include "server_tls.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace qk::demo {

struct HttpRequest {
    std::string method;
    std::string target;  // as sent: path with query
    std::string path;
    std::string query;   // after "?", without it
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    // Value of the first header of that name (case-insensitive); empty when absent.
    [[nodiscard]] std::string header(std::string_view name) const;
    [[nodiscard]] bool hasHeader(std::string_view name) const;
};

struct HttpResponse {
    int status = 200;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;  // sent when there is no provider
    // Generated body of `providedLength` bytes: fill(offset, out, n) writes bytes
    // [offset, offset + n) of it. Lets gigabytes be served without holding them.
    std::function<void(std::uint64_t, char*, std::size_t)> provider;
    std::uint64_t providedLength = 0;
    bool sendContentLength = true;  // false: no length, the end of the body is the close
    std::int64_t cutAfter = -1;     // >= 0: close the connection after this many body bytes
    std::int64_t holdAfter = -1;    // >= 0: after this many body bytes send nothing more and
                                    // keep the connection open until the client leaves (60 s at most)
    int stallMs = 0;                // wait before sending anything
    std::uint64_t bytesPerSecond = 0;  // > 0: the body goes no faster than this

    void setText(int code, std::string text, std::string contentType = "text/plain");
};

using HttpHandler = std::function<void(const HttpRequest&, HttpResponse&)>;

std::string_view reasonPhrase(int status);

class PlainHttpServer {
public:
    // `serverName` names this server in the request log.
    PlainHttpServer(std::string serverName, RequestLog& log, HttpHandler handler);
    ~PlainHttpServer();
    PlainHttpServer(const PlainHttpServer&) = delete;
    PlainHttpServer& operator=(const PlainHttpServer&) = delete;

    // Binds 127.0.0.1:port (0: a free port). False with a reason in `error` on failure.
    bool bind(int port, std::string& error);
    // Serves every connection over TLS from now on; call before start().
    void useTls(std::shared_ptr<const ServerTls> tls) { tls_ = std::move(tls); }
    [[nodiscard]] int port() const { return port_; }
    void start();
    void stop();

    // false: close the listening socket so that connections are refused; true: listen
    // again on the same port. Returns once the change is in effect.
    bool setAccepting(bool accepting);

private:
    void acceptLoop();
    void serveConnection(int fd);
    bool openListener();
    void closeListener();
    bool sendResponse(Connection& connection, const HttpRequest& request, HttpResponse& response, bool& keepAlive);
    bool waitUnlessStopping(int ms) const;
    void holdUntilClientLeaves(int fd) const;

    std::string serverName_;
    RequestLog& log_;
    HttpHandler handler_;
    std::shared_ptr<const ServerTls> tls_;
    int port_ = 0;
    int listenFd_ = -1;
    std::thread acceptThread_;
    std::atomic<bool> stopping_{false};

    std::mutex stateMutex_;
    std::condition_variable stateChanged_;
    bool wantAccepting_ = true;
    bool isAccepting_ = true;
    bool listenerFailed_ = false;
    std::set<int> connections_;
    int activeConnections_ = 0;
};

}  // namespace qk::demo
