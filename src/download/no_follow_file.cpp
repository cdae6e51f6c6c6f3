#include "download/no_follow_file.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace qk::download {
namespace {

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::string folderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

PathKind pathKind(const std::string& path)
{
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0)
        return errno == ENOENT || errno == ENOTDIR ? PathKind::Missing : PathKind::Unknown;
    if (S_ISLNK(status.st_mode))
        return PathKind::Link;
    return S_ISREG(status.st_mode) ? PathKind::RegularFile : PathKind::Other;
}

int openRegularForWriting(const std::string& path)
{
    // O_NOFOLLOW refuses a link in the last component, even one planted after a check.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0)
        return -1;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return -1;
    }
    // Non-blocking was only for the open (a planted pipe must not hang it).
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

std::optional<std::string> readSmallRegularFile(const std::string& path, std::size_t limit)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat status {};
    std::optional<std::string> bytes;
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
        static_cast<std::size_t>(status.st_size) <= limit) {
        std::string text(limit + 1, '\0');
        std::size_t used = 0;
        while (used < text.size()) {
            const ssize_t got = ::read(fd, text.data() + used, text.size() - used);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            used += static_cast<std::size_t>(got);
        }
        if (used <= limit) {
            text.resize(used);
            bytes = std::move(text);
        }
    }
    ::close(fd);
    return bytes;
}

bool replaceFileWhole(const std::string& path, std::string_view bytes)
{
    // mkstemp creates with O_EXCL: it never opens an existing name, a link included.
    std::string temporary = path + ".XXXXXX";
    std::vector<char> name(temporary.begin(), temporary.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    temporary.assign(name.data());
    const bool written = writeAll(fd, bytes) && ::fchmod(fd, 0644) == 0 && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    // rename replaces a link at `path` with the file; it never writes through it.
    if (!written || !closed || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return syncFolderOf(path);
}

bool removeFileOrLink(const std::string& path, bool links)
{
    const PathKind kind = pathKind(path);
    if (kind == PathKind::Missing)
        return true;
    if (kind != PathKind::RegularFile && !(links && kind == PathKind::Link))
        return false;
    // unlink removes the name itself: a link goes, its target stays.
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

bool syncFolderOf(const std::string& path)
{
    const int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

}  // namespace qk::download
