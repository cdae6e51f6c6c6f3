#include "platform/settings_store.h"

#include "platform/quit_request.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <system_error>

namespace qk {
namespace fs = std::filesystem;

namespace {

// A key or value name must stay one path component below its parent.
bool isSafeComponent(std::string_view part)
{
    return !part.empty() && part != "." && part != ".." &&
           part.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

bool makeFolder(const fs::path& folder)
{
    if (::mkdir(folder.c_str(), 0700) == 0)
        return true;
    std::error_code ec;
    return errno == EEXIST && fs::is_directory(folder, ec);
}

}  // namespace

SettingsStore::SettingsStore(fs::path root, const platform::QuitRequest* quit)
    : root_(std::move(root)), quit_(quit)
{
}

bool SettingsStore::frozen() const
{
    return quit_ != nullptr && quit_->asked();
}

fs::path SettingsStore::keyFolder(std::string_view keyPath) const
{
    fs::path folder = root_;
    std::size_t start = 0;
    while (start <= keyPath.size()) {
        const std::size_t end = keyPath.find('\\', start);
        const std::string_view part =
            keyPath.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (!part.empty()) {
            if (!isSafeComponent(part))
                return {};
            folder /= std::string(part);
        }
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return folder;
}

bool SettingsStore::keyExists(std::string_view keyPath) const
{
    const fs::path folder = keyFolder(keyPath);
    std::error_code ec;
    return !folder.empty() && fs::is_directory(folder, ec);
}

bool SettingsStore::createKey(std::string_view keyPath)
{
    if (frozen())
        return keyExists(keyPath);
    const fs::path folder = keyFolder(keyPath);
    if (folder.empty())
        return false;
    fs::path partial;
    for (const auto& part : folder) {
        partial /= part;
        if (partial == partial.root_path())
            continue;
        std::error_code ec;
        if (!fs::is_directory(partial, ec) && !makeFolder(partial))
            return false;
    }
    return true;
}

std::optional<std::string> SettingsStore::readValue(std::string_view keyPath,
                                                    std::string_view name) const
{
    const fs::path folder = keyFolder(keyPath);
    if (folder.empty() || !isSafeComponent(name))
        return std::nullopt;
    // Plain system calls: the stream library throws when a read fails (a folder where
    // the value should be), and opening a FIFO would block. Neither may stop the agent.
    const fs::path file = folder / std::string(name);
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    std::optional<std::string> bytes;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        bytes.emplace();
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                bytes.reset();
                break;
            }
            if (n == 0)
                break;
            bytes->append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    return bytes;
}

bool SettingsStore::writeValue(std::string_view keyPath, std::string_view name,
                               std::string_view bytes)
{
    if (frozen())
        return false;
    const fs::path folder = keyFolder(keyPath);
    std::error_code ec;
    if (folder.empty() || !isSafeComponent(name) || !fs::is_directory(folder, ec))
        return false;
    const fs::path target = folder / std::string(name);
    // A temporary of its own for every write: two writers of one value never write into
    // each other's file, and a temporary left by a crash is never in the way.
    std::string temp = (folder / ("." + std::string(name) + ".XXXXXX")).string();
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    ::fchmod(fd, 0600);
    bool ok = true;
    std::size_t written = 0;
    while (ok && written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            written += static_cast<std::size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok && std::rename(temp.c_str(), target.c_str()) == 0)
        return true;
    ::unlink(temp.c_str());
    return false;
}

bool SettingsStore::deleteValue(std::string_view keyPath, std::string_view name)
{
    if (frozen())
        return false;
    const fs::path folder = keyFolder(keyPath);
    if (folder.empty() || !isSafeComponent(name))
        return false;
    std::error_code ec;
    fs::remove(folder / std::string(name), ec);
    return !fs::exists(folder / std::string(name), ec);
}

std::optional<std::uint32_t> SettingsStore::readNumber(std::string_view keyPath,
                                                       std::string_view name) const
{
    const auto text = readValue(keyPath, name);
    return text ? parseStoredNumber(*text) : std::nullopt;
}

std::optional<std::uint32_t> parseStoredNumber(std::string_view text)
{
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

bool SettingsStore::writeNumber(std::string_view keyPath, std::string_view name, std::uint32_t value)
{
    return writeValue(keyPath, name, std::to_string(value));
}

}  // namespace qk
