#include "support/demo_store.h"

#include "demo-store/log_format.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

namespace qk::test {
namespace {

constexpr int kReadyTimeoutMs = 10000;
constexpr int kStopTimeoutMs = 5000;

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

int portField(const std::string& line, const std::string& key) {
    const std::size_t at = line.find(" " + key + "=");
    if (at == std::string::npos) return 0;
    return std::atoi(line.c_str() + at + key.size() + 2);
}

// One short plain-HTTP exchange with the store; returns the whole reply.
std::string plainExchange(int port, const std::string& request) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return {};
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    std::string reply;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
        char buffer[4096];
        ssize_t n = 0;
        while ((n = ::recv(fd, buffer, sizeof buffer, 0)) > 0) reply.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return reply;
}

std::string formEncode(const std::string& text) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.') {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back('%');
            out.push_back(digits[c >> 4]);
            out.push_back(digits[c & 0x0F]);
        }
    }
    return out;
}

}  // namespace

std::string LoggedRequest::header(std::string_view name) const {
    for (const auto& [key, value] : headers)
        if (equalsIgnoreCase(key, name)) return value;
    return {};
}

int LoggedRequest::headerCount(std::string_view name) const {
    return static_cast<int>(
        std::count_if(headers.begin(), headers.end(), [&](const auto& h) { return equalsIgnoreCase(h.first, name); }));
}

DemoStore::DemoStore() { start(); }

DemoStore::~DemoStore() { stop(); }

void DemoStore::start() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qk-demo-store-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        error_ = std::string("cannot create a state folder: ") + std::strerror(errno);
        return;
    }
    stateDir_ = pattern;

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        error_ = "cannot create a pipe";
        return;
    }
    const std::string exe = QK_DEMO_STORE_EXE;
    const std::string state = stateDir_.string();
    pid_ = ::fork();
    if (pid_ == 0) {
        // A test process that dies without its destructors must not leave the store running.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        ::dup2(pipeFds[1], STDOUT_FILENO);
        const char* argv[] = {exe.c_str(), "--state", state.c_str(), nullptr};
        ::execv(exe.c_str(), const_cast<char* const*>(argv));
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    stdoutFd_ = pipeFds[0];
    if (pid_ < 0) {
        error_ = "cannot start " + exe;
        return;
    }

    std::string output;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kReadyTimeoutMs);
    while (output.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd p{stdoutFd_, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) {
            error_ = "the demo store did not get ready within 10 s";
            return;
        }
        char buffer[512];
        const ssize_t n = ::read(stdoutFd_, buffer, sizeof buffer);
        if (n <= 0) {
            error_ = "the demo store ended before it was ready";
            return;
        }
        output.append(buffer, static_cast<std::size_t>(n));
    }
    const std::string line = output.substr(0, output.find('\n'));
    if (!line.starts_with("DEMO-STORE-READY ")) {
        error_ = "unexpected first line from the demo store: " + line;
        return;
    }
    httpsPort_ = portField(line, "https");
    httpPort_ = portField(line, "http");
    file1Port_ = portField(line, "file1");
    file2Port_ = portField(line, "file2");
    file1TlsPort_ = portField(line, "file1tls");
    file2TlsPort_ = portField(line, "file2tls");
    const std::size_t ca = line.find(" ca=");
    if (ca != std::string::npos) caFile_ = line.substr(ca + 4);
    ok_ = httpsPort_ > 0 && httpPort_ > 0 && file1Port_ > 0 && file2Port_ > 0 && file1TlsPort_ > 0 &&
          file2TlsPort_ > 0 && !caFile_.empty();
    if (!ok_) error_ = "incomplete ready line: " + line;
}

void DemoStore::stop() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStopTimeoutMs);
        int status = 0;
        while (::waitpid(pid_, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        pid_ = -1;
    }
    if (stdoutFd_ >= 0) ::close(stdoutFd_);
    stdoutFd_ = -1;
    if (!stateDir_.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(stateDir_, ec);
    }
}

qk::Deployment DemoStore::deployment(const std::filesystem::path& settingsDir) const {
    qk::Deployment d;
    d.storeHost = "127.0.0.1";
    d.storeHttpsPort = httpsPort_;
    d.storeHttpPort = httpPort_;
    d.filePrimary = "127.0.0.1:" + std::to_string(file1Port_);
    d.fileSecondary = "127.0.0.1:" + std::to_string(file2Port_);
    d.caFile = caFile_;
    d.settingsDir = settingsDir.empty() ? stateDir_ / "settings" : settingsDir;
    d.appDataDir = stateDir_ / "appdata";
    return d;
}

std::vector<LoggedRequest> DemoStore::requests() const {
    std::vector<LoggedRequest> result;
    std::ifstream in(stateDir_ / "requests.log", std::ios::binary);
    if (!in) return result;
    in.seekg(static_cast<std::streamoff>(logOffset_));
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t start = 0;
    // Only whole lines: a request being written right now shows up next time.
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        qk::demo::LogEntry entry;
        if (!qk::demo::parseLogLine(text.substr(start, end - start), entry)) continue;
        result.push_back(LoggedRequest{std::move(entry.server), std::move(entry.method), std::move(entry.target),
                                       std::move(entry.headers), std::move(entry.body)});
    }
    return result;
}

void DemoStore::clearRequests() {
    // Just past the last whole line, so a line being written now is kept.
    std::ifstream in(stateDir_ / "requests.log", std::ios::binary);
    if (!in) return;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t lastEnd = text.rfind('\n');
    if (lastEnd != std::string::npos) logOffset_ = lastEnd + 1;
}

bool DemoStore::control(const std::string& name, const std::string& value) {
    if (!ok_) return false;
    const std::string body = formEncode(name) + "=" + formEncode(value);
    const std::string reply = plainExchange(httpPort_, "POST /_control HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: "
                                                  "application/x-www-form-urlencoded\r\nContent-Length: " +
                                                      std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    return reply.starts_with("HTTP/1.1 200 ");
}

}  // namespace qk::test
