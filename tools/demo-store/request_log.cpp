#include "request_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace qk::demo {

RequestLog::RequestLog(std::filesystem::path file)
    : fd_(::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600)) {}

RequestLog::~RequestLog() {
    if (fd_ >= 0) ::close(fd_);
}

void RequestLog::append(const LogEntry& entry) {
    const std::string line = formatLogLine(entry) + '\n';
    std::lock_guard lock(mutex_);
    std::size_t written = 0;
    while (written < line.size()) {
        const ssize_t n = ::write(fd_, line.data() + written, line.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        written += static_cast<std::size_t>(n);
    }
}

}  // namespace qk::demo
