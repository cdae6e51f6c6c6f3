#pragma once
// Every request that reaches any of the store's servers, appended to one file in the
// state folder so that a test can see exactly what the agent sent.
// Format of a line: log_format.h.

#include "log_format.h"

#include <filesystem>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace qk::demo {

class RequestLog {
public:
    explicit RequestLog(std::filesystem::path file);
    ~RequestLog();
    RequestLog(const RequestLog&) = delete;
    RequestLog& operator=(const RequestLog&) = delete;

    bool ok() const { return fd_ >= 0; }
    // Thread-safe; whole lines only, so a reader sees at most a partial last line.
    void append(const LogEntry& entry);

private:
    std::mutex mutex_;
    int fd_ = -1;
};

}  // namespace qk::demo
