#pragma once
// Test fixture: runs the demo store (tools/demo-store) on free loopback ports with a
// fresh state folder, and stops it and removes the folder when it goes out of scope.
// The store also ends when the thread that created the fixture ends, so create it on a
// thread that outlives it (the test's own thread).

#include "platform/deployment.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace qk::test {

struct LoggedRequest {
    std::string server;  // "https", "http", "file1", "file2", "file1tls", "file2tls"
    std::string method;
    std::string target;  // path with query
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    // Value of the first header of that name (case-insensitive); "" when absent.
    [[nodiscard]] std::string header(std::string_view name) const;
    [[nodiscard]] int headerCount(std::string_view name) const;
};

class DemoStore {
public:
    DemoStore();
    ~DemoStore();
    DemoStore(const DemoStore&) = delete;
    DemoStore& operator=(const DemoStore&) = delete;

    // True once the store printed its ready line (within 10 s).
    [[nodiscard]] bool ok() const { return ok_; }
    [[nodiscard]] const std::string& error() const { return error_; }

    [[nodiscard]] int httpsPort() const { return httpsPort_; }
    [[nodiscard]] int httpPort() const { return httpPort_; }
    [[nodiscard]] int filePrimaryPort() const { return file1Port_; }
    [[nodiscard]] int fileSecondaryPort() const { return file2Port_; }
    // The same file servers over HTTPS (the store's certificate, caFile()).
    [[nodiscard]] int filePrimaryTlsPort() const { return file1TlsPort_; }
    [[nodiscard]] int fileSecondaryTlsPort() const { return file2TlsPort_; }
    [[nodiscard]] const std::string& caFile() const { return caFile_; }
    [[nodiscard]] const std::filesystem::path& stateDir() const { return stateDir_; }

    // Points the agent at this store. Without a settings folder, settings go to a folder
    // inside the store's state folder, so that no test touches the user's own settings;
    // the application-data folder is always inside it.
    [[nodiscard]] qk::Deployment deployment(const std::filesystem::path& settingsDir = {}) const;

    // Requests received on all six servers since start or the last clearRequests(),
    // in the order they arrived. Control requests are not included.
    [[nodiscard]] std::vector<LoggedRequest> requests() const;
    void clearRequests();

    // Flips a switch of the store (see tools/demo-store/README.md); true when applied.
    bool control(const std::string& name, const std::string& value);

private:
    void start();
    void stop();

    bool ok_ = false;
    std::string error_;
    pid_t pid_ = -1;
    int stdoutFd_ = -1;
    std::filesystem::path stateDir_;
    int httpsPort_ = 0, httpPort_ = 0, file1Port_ = 0, file2Port_ = 0, file1TlsPort_ = 0, file2TlsPort_ = 0;
    std::string caFile_;
    std::uintmax_t logOffset_ = 0;
};

}  // namespace qk::test
