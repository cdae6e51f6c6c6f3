#include "support/loopback_proxy.h"

#include "support/loopback_socket.h"

#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace qk::test {
namespace {

constexpr std::size_t kMaxHead = 64 * 1024;

// Copies bytes both ways until either side ends, then closes both.
void relay(int client, int origin, const std::atomic<bool>& stopping)
{
    char buffer[16384];
    bool open = true;
    while (open && !stopping.load()) {
        pollfd both[2] = {{client, POLLIN, 0}, {origin, POLLIN, 0}};
        if (::poll(both, 2, 50) < 0)
            break;
        for (int i = 0; i < 2 && open; ++i) {
            if (!(both[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const ssize_t got = ::recv(both[i].fd, buffer, sizeof buffer, 0);
            open = got > 0 && net::sendAll(both[1 - i].fd, buffer, static_cast<std::size_t>(got));
        }
    }
    ::close(origin);
}

// "host:port" → host and port; port 0 when there is none.
void splitAuthority(const std::string& authority, std::string& host, int& port)
{
    const std::size_t colon = authority.rfind(':');
    const bool bracketed = !authority.empty() && authority.front() == '[';
    if (colon == std::string::npos || (bracketed && authority.back() == ']')) {
        host = authority;
        port = 0;
    } else {
        host = authority.substr(0, colon);
        port = std::atoi(authority.c_str() + colon + 1);
    }
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
}

std::string refusal(int status, const char* reason, const char* extraHeader)
{
    const std::string body = "<html><body>" + std::to_string(status) + " " + reason + "</body></html>";
    return "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\n" + extraHeader +
           "Content-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

std::string base64(const std::string& bytes)
{
    static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t group = 0;
        for (std::size_t k = 0; k < 3; ++k)
            group = (group << 8) | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
        for (std::size_t k = 0; k < 4; ++k)
            out += k <= n ? kDigits[(group >> (18 - 6 * k)) & 0x3F] : '=';
    }
    return out;
}

}  // namespace

LoopbackProxy::LoopbackProxy(Answer answer, std::string credentials) : answer_(answer)
{
    if (!credentials.empty())
        authorization_ = "Basic " + base64(credentials);
    acceptor_.start([this](int client) { serve(client); });
}

LoopbackProxy::~LoopbackProxy() = default;

std::string LoopbackProxy::url() const { return "http://127.0.0.1:" + std::to_string(port()); }

std::vector<LoopbackProxy::Seen> LoopbackProxy::seen() const
{
    std::lock_guard guard(mutex_);
    return seen_;
}

int LoopbackProxy::tunnels() const
{
    int count = 0;
    for (const auto& request : seen())
        count += request.method == "CONNECT" ? 1 : 0;
    return count;
}

int LoopbackProxy::forwarded() const
{
    return static_cast<int>(seen().size()) - tunnels();
}

void LoopbackProxy::record(const std::string& method, const std::string& target)
{
    std::lock_guard guard(mutex_);
    seen_.push_back({method, target});
}

void LoopbackProxy::serve(int client)
{
    std::string bytes;
    std::size_t headEnd = std::string::npos;
    while ((headEnd = bytes.find("\r\n\r\n")) == std::string::npos && bytes.size() < kMaxHead) {
        if (net::receiveSome(client, bytes, acceptor_.stopping()) <= 0) {
            ::close(client);
            return;
        }
    }
    if (headEnd == std::string::npos) {
        ::close(client);
        return;
    }
    const std::string head = bytes.substr(0, headEnd + 4);
    const std::string rest = bytes.substr(headEnd + 4);

    const std::size_t firstBlank = head.find(' ');
    const std::size_t secondBlank = head.find(' ', firstBlank + 1);
    const std::size_t lineEnd = head.find("\r\n");
    if (firstBlank == std::string::npos || secondBlank == std::string::npos || secondBlank > lineEnd) {
        net::sendAll(client, refusal(400, "Bad Request", ""));
        ::close(client);
        return;
    }
    const std::string method = head.substr(0, firstBlank);
    const std::string target = head.substr(firstBlank + 1, secondBlank - firstBlank - 1);
    record(method, target);

    if (answer_ == Answer::Forbid) {
        net::sendAll(client, refusal(403, "Forbidden", ""));
        ::close(client);
        return;
    }
    const bool authorised =
        !authorization_.empty() && net::headerValue(head, "Proxy-Authorization") == authorization_;
    if (answer_ == Answer::AskCredentials && !authorised) {
        net::sendAll(client, refusal(407, "Proxy Authentication Required",
                                     "Proxy-Authenticate: Basic realm=\"loopback\"\r\n"));
        ::close(client);
        return;
    }

    std::string host;
    int port = 0;
    std::string originHead;
    if (method == "CONNECT") {
        splitAuthority(target, host, port);
    } else {
        // "http://host[:port]/path": the origin gets "/path" and one request only.
        constexpr std::string_view kScheme = "http://";
        if (target.compare(0, kScheme.size(), kScheme) != 0) {
            net::sendAll(client, refusal(400, "Bad Request", ""));
            ::close(client);
            return;
        }
        const std::size_t pathStart = target.find('/', kScheme.size());
        splitAuthority(target.substr(kScheme.size(), pathStart - kScheme.size()), host, port);
        if (port == 0)
            port = 80;
        originHead = method + " " + (pathStart == std::string::npos ? "/" : target.substr(pathStart)) +
                     head.substr(secondBlank, lineEnd - secondBlank) + "\r\n";
        std::size_t line = lineEnd + 2;
        while (line < headEnd) {
            const std::size_t end = head.find("\r\n", line);
            const std::string text = head.substr(line, end - line);
            const std::string name = text.substr(0, text.find(':'));
            auto is = [&name](const char* other) { return strcasecmp(name.c_str(), other) == 0; };
            if (!is("Proxy-Connection") && !is("Connection") && !is("Proxy-Authorization"))
                originHead += text + "\r\n";
            line = end + 2;
        }
        originHead += "Connection: close\r\n\r\n";
    }

    const int origin = port > 0 ? net::connectTo(host, port) : -1;
    if (origin < 0) {
        net::sendAll(client, refusal(502, "Bad Gateway", ""));
        ::close(client);
        return;
    }
    const bool started = method == "CONNECT"
                             ? net::sendAll(client, "HTTP/1.1 200 Connection established\r\n\r\n")
                             : net::sendAll(origin, originHead);
    if (started && net::sendAll(origin, rest))
        relay(client, origin, acceptor_.stopping());
    else
        ::close(origin);
    ::close(client);
}

}  // namespace qk::test
