#include "plain_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#include <vector>

namespace qk::demo {
namespace {

constexpr std::size_t kMaxHeaderBytes = 64 * 1024;
constexpr std::size_t kMaxBodyBytes = 16 * 1024 * 1024;
constexpr std::size_t kSendChunk = 256 * 1024;

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return std::string(text);
}

// Buffered reads from one connection; `buffer` keeps what came after the last request.
class Reader {
public:
    explicit Reader(Connection& connection) : connection_(connection) {}

    // Reads until the header block is complete. False on close, error or oversize.
    bool readHead(std::string& head) {
        while (true) {
            const std::size_t end = buffer_.find("\r\n\r\n");
            if (end != std::string::npos) {
                head = buffer_.substr(0, end + 2);
                buffer_.erase(0, end + 4);
                return true;
            }
            if (buffer_.size() > kMaxHeaderBytes || !fill()) return false;
        }
    }
    bool readExactly(std::size_t n, std::string& out) {
        while (buffer_.size() < n)
            if (!fill()) return false;
        out.append(buffer_, 0, n);
        buffer_.erase(0, n);
        return true;
    }
    bool readLine(std::string& line) {
        while (true) {
            const std::size_t end = buffer_.find("\r\n");
            if (end != std::string::npos) {
                line = buffer_.substr(0, end);
                buffer_.erase(0, end + 2);
                return true;
            }
            if (buffer_.size() > kMaxHeaderBytes || !fill()) return false;
        }
    }

private:
    bool fill() {
        char chunk[16384];
        const ssize_t n = connection_.receive(chunk, sizeof chunk);
        if (n <= 0) return false;
        buffer_.append(chunk, static_cast<std::size_t>(n));
        return true;
    }
    Connection& connection_;
    std::string buffer_;
};

bool parseHead(const std::string& head, HttpRequest& request, std::string& version) {
    std::size_t lineEnd = head.find("\r\n");
    const std::string requestLine = head.substr(0, lineEnd);
    const std::size_t firstBlank = requestLine.find(' ');
    const std::size_t lastBlank = requestLine.rfind(' ');
    if (firstBlank == std::string::npos || lastBlank == firstBlank) return false;
    request.method = requestLine.substr(0, firstBlank);
    request.target = requestLine.substr(firstBlank + 1, lastBlank - firstBlank - 1);
    version = requestLine.substr(lastBlank + 1);
    const std::size_t question = request.target.find('?');
    request.path = request.target.substr(0, question);
    request.query = question == std::string::npos ? std::string() : request.target.substr(question + 1);
    std::size_t start = lineEnd + 2;
    while (start < head.size()) {
        lineEnd = head.find("\r\n", start);
        if (lineEnd == std::string::npos) lineEnd = head.size();
        const std::string line = head.substr(start, lineEnd - start);
        start = lineEnd + 2;
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos) return false;
        request.headers.emplace_back(line.substr(0, colon), trim(std::string_view(line).substr(colon + 1)));
    }
    return true;
}

bool readBody(Reader& reader, HttpRequest& request) {
    if (equalsIgnoreCase(request.header("Transfer-Encoding"), "chunked")) {
        while (true) {
            std::string sizeLine;
            if (!reader.readLine(sizeLine)) return false;
            std::size_t size = 0;
            const auto [ptr, ec] = std::from_chars(sizeLine.data(), sizeLine.data() + sizeLine.size(), size, 16);
            if (ec != std::errc() || request.body.size() + size > kMaxBodyBytes) return false;
            if (size == 0) {
                std::string trailer;
                do {
                    if (!reader.readLine(trailer)) return false;
                } while (!trailer.empty());
                return true;
            }
            std::string crlf;
            if (!reader.readExactly(size, request.body) || !reader.readExactly(2, crlf)) return false;
        }
    }
    const std::string lengthText = request.header("Content-Length");
    if (lengthText.empty()) return true;
    std::size_t length = 0;
    const auto [ptr, ec] = std::from_chars(lengthText.data(), lengthText.data() + lengthText.size(), length);
    if (ec != std::errc() || length > kMaxBodyBytes) return false;
    return reader.readExactly(length, request.body);
}

}  // namespace

std::string HttpRequest::header(std::string_view name) const {
    for (const auto& [key, value] : headers)
        if (equalsIgnoreCase(key, name)) return value;
    return {};
}

bool HttpRequest::hasHeader(std::string_view name) const {
    return std::any_of(headers.begin(), headers.end(), [&](const auto& h) { return equalsIgnoreCase(h.first, name); });
}

void HttpResponse::setText(int code, std::string text, std::string contentType) {
    status = code;
    body = std::move(text);
    headers.emplace_back("Content-Type", std::move(contentType));
}

std::string_view reasonPhrase(int status) {
    switch (status) {
        case 200: return "OK";
        case 206: return "Partial Content";
        case 301: return "Moved Permanently";
        case 302: return "Found";
        case 303: return "See Other";
        case 307: return "Temporary Redirect";
        case 308: return "Permanent Redirect";
        case 400: return "Bad Request";
        case 404: return "Not Found";
        case 416: return "Range Not Satisfiable";
        case 500: return "Internal Server Error";
        default: return "Status";
    }
}

PlainHttpServer::PlainHttpServer(std::string serverName, RequestLog& log, HttpHandler handler)
    : serverName_(std::move(serverName)), log_(log), handler_(std::move(handler)) {}

PlainHttpServer::~PlainHttpServer() { stop(); }

bool PlainHttpServer::openListener() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port_));
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 64) != 0) {
        ::close(fd);
        return false;
    }
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    if (port_ == 0) port_ = ntohs(address.sin_port);  // a reopen keeps the port readers already know
    listenFd_ = fd;
    return true;
}

void PlainHttpServer::closeListener() {
    if (listenFd_ >= 0) ::close(listenFd_);
    listenFd_ = -1;
}

bool PlainHttpServer::bind(int port, std::string& error) {
    port_ = port;
    if (!openListener()) {
        error = serverName_ + ": cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void PlainHttpServer::start() { acceptThread_ = std::thread([this] { acceptLoop(); }); }

void PlainHttpServer::stop() {
    if (stopping_.exchange(true)) return;
    if (acceptThread_.joinable()) acceptThread_.join();
    std::unique_lock lock(stateMutex_);
    for (const int fd : connections_) ::shutdown(fd, SHUT_RDWR);
    stateChanged_.wait(lock, [this] { return activeConnections_ == 0; });
}

bool PlainHttpServer::setAccepting(bool accepting) {
    std::unique_lock lock(stateMutex_);
    wantAccepting_ = accepting;
    stateChanged_.wait(lock, [&] { return isAccepting_ == accepting || listenerFailed_ || stopping_; });
    return isAccepting_ == accepting;
}

void PlainHttpServer::acceptLoop() {
    while (!stopping_) {
        {
            // Only this thread opens and closes the listener, so poll never sees it vanish.
            std::lock_guard lock(stateMutex_);
            if (wantAccepting_ != isAccepting_) {
                if (wantAccepting_) {
                    listenerFailed_ = !openListener();
                    isAccepting_ = !listenerFailed_;
                } else {
                    closeListener();
                    isAccepting_ = false;
                    listenerFailed_ = false;
                }
                stateChanged_.notify_all();
            }
        }
        if (listenFd_ < 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            continue;
        }
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) continue;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        {
            std::lock_guard lock(stateMutex_);
            connections_.insert(fd);
            ++activeConnections_;
        }
        std::thread([this, fd] {
            serveConnection(fd);
            std::lock_guard lock(stateMutex_);
            connections_.erase(fd);
            ::close(fd);
            --activeConnections_;
            stateChanged_.notify_all();
        }).detach();
    }
    std::lock_guard lock(stateMutex_);
    closeListener();
    stateChanged_.notify_all();
}

void PlainHttpServer::serveConnection(int fd) {
    Connection connection(fd, tls_ ? tls_->accept(fd) : nullptr);
    if (tls_ && !connection.hasTls()) return;  // the handshake failed
    Reader reader(connection);
    bool keepAlive = true;
    while (keepAlive && !stopping_) {
        std::string head, version;
        HttpRequest request;
        if (!reader.readHead(head)) return;
        if (!parseHead(head, request, version) || !readBody(reader, request)) {
            HttpResponse bad;
            bad.setText(400, "bad request\n");
            keepAlive = false;
            sendResponse(connection, request, bad, keepAlive);
            return;
        }
        // Control requests steer the store; they are not traffic of the agent.
        if (request.path != "/_control")
            log_.append(LogEntry{serverName_, request.method, request.target, request.headers, request.body});
        keepAlive = version == "HTTP/1.1" && !equalsIgnoreCase(request.header("Connection"), "close");
        HttpResponse response;
        handler_(request, response);
        if (!sendResponse(connection, request, response, keepAlive)) return;
    }
}

bool PlainHttpServer::waitUnlessStopping(int ms) const {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < until) {
        if (stopping_) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

bool PlainHttpServer::sendResponse(Connection& connection, const HttpRequest& request, HttpResponse& response,
                                   bool& keepAlive) {
    if (response.stallMs > 0 && !waitUnlessStopping(response.stallMs)) return false;
    const bool provided = static_cast<bool>(response.provider);
    const std::uint64_t length = provided ? response.providedLength : response.body.size();
    if (!response.sendContentLength || response.cutAfter >= 0 || response.holdAfter >= 0) keepAlive = false;

    std::string head = "HTTP/1.1 " + std::to_string(response.status) + ' ' + std::string(reasonPhrase(response.status)) + "\r\n";
    for (const auto& [name, value] : response.headers) head += name + ": " + value + "\r\n";
    if (response.sendContentLength) head += "Content-Length: " + std::to_string(length) + "\r\n";
    head += keepAlive ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
    if (!connection.sendAll(head.data(), head.size())) return false;
    if (request.method == "HEAD") return keepAlive;

    std::uint64_t toSend = length;
    if (response.cutAfter >= 0) toSend = std::min<std::uint64_t>(toSend, static_cast<std::uint64_t>(response.cutAfter));
    if (response.holdAfter >= 0) toSend = std::min<std::uint64_t>(toSend, static_cast<std::uint64_t>(response.holdAfter));
    if (!provided) {
        if (!connection.sendAll(response.body.data(), static_cast<std::size_t>(toSend))) return false;
    } else {
        // A paced body goes in pieces of a tenth of a second's worth.
        const std::size_t piece = response.bytesPerSecond > 0
                                      ? static_cast<std::size_t>(std::clamp<std::uint64_t>(response.bytesPerSecond / 10, 1, kSendChunk))
                                      : kSendChunk;
        const auto started = std::chrono::steady_clock::now();
        std::vector<char> chunk(piece);
        for (std::uint64_t offset = 0; offset < toSend && !stopping_;) {
            const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(piece, toSend - offset));
            if (response.bytesPerSecond > 0) {
                // A piece leaves when the pace says it has been sent whole.
                const auto due = started + std::chrono::microseconds((offset + n) * 1000000 / response.bytesPerSecond);
                while (!stopping_ && std::chrono::steady_clock::now() < due)
                    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
                        due - std::chrono::steady_clock::now(), std::chrono::milliseconds(50)));
            }
            response.provider(offset, chunk.data(), n);
            if (!connection.sendAll(chunk.data(), n)) return false;
            offset += n;
        }
    }
    if (response.holdAfter >= 0) {
        holdUntilClientLeaves(connection.fd());
        return false;
    }
    // A cut ends the stream as a broken connection would; any other end is a proper one.
    if (!keepAlive) connection.endWriting(toSend == length);
    return keepAlive;
}

void PlainHttpServer::holdUntilClientLeaves(int fd) const {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!stopping_ && std::chrono::steady_clock::now() < until) {
        char byte = 0;
        const ssize_t n = ::recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace qk::demo
