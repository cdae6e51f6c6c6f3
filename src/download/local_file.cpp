#include "download/local_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace qk::download {

int openForResume(const std::string& path, bool toEnd, std::int64_t& resumeOffset)
{
    resumeOffset = 0;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return -1;
    if (toEnd) {
        const off_t end = ::lseek(fd, 0, SEEK_END);
        if (end < 0) {
            ::close(fd);
            return -1;
        }
        resumeOffset = end;
    }
    return fd;
}

BufferedFileWriter::BufferedFileWriter(int fd, std::size_t capacity) : fd_(fd), buffer_(capacity) {}

bool BufferedFileWriter::write(const char* data, std::size_t size)
{
    if (failed_)
        return false;
    if (used_ + size > buffer_.size()) {
        if (!flush())
            return false;
        if (size >= buffer_.size())
            return writeOut(data, size);
    }
    std::memcpy(buffer_.data() + used_, data, size);
    used_ += size;
    return true;
}

bool BufferedFileWriter::flush()
{
    if (failed_)
        return false;
    const std::size_t pending = used_;
    used_ = 0;
    return writeOut(buffer_.data(), pending);
}

bool BufferedFileWriter::writeOut(const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd_, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            failed_ = true;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace qk::download
