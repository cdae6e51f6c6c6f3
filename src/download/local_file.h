#pragma once
// The local side of a transfer: the file opened without truncation, and writes
// gathered into large blocks so the disk is not asked once per 10 KB read.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qk::download {

// Opens (creating, never truncating) the file for writing. Returns the descriptor
// or -1; `resumeOffset` gets the file's end when `toEnd` is set, else 0.
int openForResume(const std::string& path, bool toEnd, std::int64_t& resumeOffset);

class BufferedFileWriter {
public:
    // Large enough to spare the disk a call per read, small enough to stay in the CPU's
    // cache between the copy in and the write out: at 1 MiB every block went to the page
    // cache cold, which tripled the system time of a download (most over TLS, where the
    // data arrives 16 KB at a time).
    static constexpr std::size_t kDefaultCapacity = 128 * 1024;

    explicit BufferedFileWriter(int fd, std::size_t capacity = kDefaultCapacity);

    // false once a write to the disk failed; nothing is written after that.
    bool write(const char* data, std::size_t size);
    bool flush();
    [[nodiscard]] bool failed() const { return failed_; }

private:
    bool writeOut(const char* data, std::size_t size);

    int fd_;
    std::vector<char> buffer_;
    std::size_t used_ = 0;
    bool failed_ = false;
};

}  // namespace qk::download
