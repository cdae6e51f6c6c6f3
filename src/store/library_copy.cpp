#include "store/library_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "platform/settings_store.h"

namespace qk {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kMagic = "QKLIBRARYCOPY\n";
constexpr std::string_view kEnvelopeName = "library";
// What a store reply can be at most (StoreRequest's cap), and an e-mail the saved login
// can hold.
constexpr std::uint64_t kMaxReplyBytes = 64 * 1024 * 1024;
constexpr std::uint64_t kMaxEmailBytes = 4096;

void putNumber(std::string& out, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// FNV-1a: enough to tell a copy whose bytes changed on disk from the one written.
std::uint64_t checksum(std::string_view bytes)
{
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

// Reads little-endian numbers and length-prefixed texts, never past the end.
class EnvelopeReader {
public:
    explicit EnvelopeReader(std::string_view bytes) : rest_(bytes) {}

    bool number(std::uint64_t& value, int bytes)
    {
        if (rest_.size() < static_cast<std::size_t>(bytes))
            return false;
        value = 0;
        for (int i = 0; i < bytes; ++i)
            value |= static_cast<std::uint64_t>(static_cast<unsigned char>(rest_[static_cast<std::size_t>(i)])) << (8 * i);
        rest_.remove_prefix(static_cast<std::size_t>(bytes));
        return true;
    }

    bool text(std::string& out, std::uint64_t maxBytes)
    {
        std::uint64_t length = 0;
        if (!number(length, 8) || length > maxBytes || length > rest_.size())
            return false;
        out.assign(rest_.substr(0, static_cast<std::size_t>(length)));
        rest_.remove_prefix(static_cast<std::size_t>(length));
        return true;
    }

    [[nodiscard]] std::size_t left() const { return rest_.size(); }

private:
    std::string_view rest_;
};

enum class FileRead { Missing, Bad, Read };

// A regular file of at most `maxBytes`, opened without following a link; a FIFO is
// neither waited on nor read.
FileRead readWholeFile(const fs::path& path, std::size_t maxBytes, std::string& out)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? FileRead::Missing : FileRead::Bad;
    struct stat st {};
    FileRead result = FileRead::Bad;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && static_cast<std::uint64_t>(st.st_size) <= maxBytes) {
        out.clear();
        out.reserve(static_cast<std::size_t>(st.st_size));
        char buffer[65536];
        result = FileRead::Read;
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 || out.size() + static_cast<std::size_t>(std::max<ssize_t>(n, 0)) > maxBytes) {
                result = FileRead::Bad;
                break;
            }
            if (n == 0)
                break;
            out.append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    return result;
}

// Deletes whatever is at `path` (a link itself, not what it points to).
void removeEntry(const fs::path& path)
{
    std::error_code ec;
    fs::remove_all(path, ec);
}

// true when `folder` is a real folder; anything else in its place is removed.
bool isRealFolder(const fs::path& folder)
{
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(folder, ec);
    if (ec || status.type() == fs::file_type::not_found)
        return false;
    if (status.type() == fs::file_type::directory)
        return true;
    removeEntry(folder);
    return false;
}

std::string hexName(std::string_view key)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string name = "p-";
    for (const char c : key) {
        const auto byte = static_cast<unsigned char>(c);
        name += kHex[byte >> 4];
        name += kHex[byte & 0x0F];
    }
    return name;
}

}  // namespace

std::string encodeLibraryCopy(const LibraryCopy& copy)
{
    std::string out(kMagic);
    putNumber(out, kLibraryCopyVersion, 4);
    putNumber(out, copy.email.size(), 8);
    out += copy.email;
    putNumber(out, static_cast<std::uint64_t>(copy.savedAt), 8);
    putNumber(out, copy.catalogReply.size(), 8);
    out += copy.catalogReply;
    putNumber(out, copy.purchasesReply.size(), 8);
    out += copy.purchasesReply;
    putNumber(out, checksum(out), 8);
    return out;
}

CopyVerdict decodeLibraryCopy(std::string_view bytes, LibraryCopy& out)
{
    if (!bytes.starts_with(kMagic))
        return CopyVerdict::Damaged;
    EnvelopeReader reader(bytes.substr(kMagic.size()));
    std::uint64_t version = 0;
    if (!reader.number(version, 4))
        return CopyVerdict::Damaged;
    // Another format is judged by its version alone: its layout is not this one.
    if (version != kLibraryCopyVersion)
        return CopyVerdict::OtherVersion;
    LibraryCopy copy;
    std::uint64_t savedAt = 0;
    std::uint64_t sum = 0;
    if (!reader.text(copy.email, kMaxEmailBytes) || !reader.number(savedAt, 8) ||
        !reader.text(copy.catalogReply, kMaxReplyBytes) ||
        !reader.text(copy.purchasesReply, kMaxReplyBytes) || reader.left() != 8)
        return CopyVerdict::Damaged;
    const std::string_view covered = bytes.substr(0, bytes.size() - 8);
    if (!reader.number(sum, 8) || sum != checksum(covered))
        return CopyVerdict::Damaged;
    copy.savedAt = static_cast<std::int64_t>(savedAt);
    out = std::move(copy);
    return CopyVerdict::Usable;
}

LibraryCopyFolder::LibraryCopyFolder(fs::path folder) : folder_(std::move(folder)) {}

fs::path LibraryCopyFolder::envelopePath() const { return folder_ / std::string(kEnvelopeName); }

fs::path LibraryCopyFolder::picturePath(std::string_view key) const { return folder_ / hexName(key); }

bool LibraryCopyFolder::writeFile(const std::string& name, std::string_view bytes)
{
    (void)isRealFolder(folder_);  // a link or a file in the folder's place goes
    SettingsStore files(folder_);
    if (!files.createKey(""))
        return false;
    const fs::path target = folder_ / name;
    // A folder or a link in the file's place would stop the rename or be written through.
    std::error_code ec;
    const fs::file_type existing = fs::symlink_status(target, ec).type();
    if (existing != fs::file_type::not_found && existing != fs::file_type::regular)
        removeEntry(target);
    return files.writeValue("", name, bytes);
}

bool LibraryCopyFolder::write(const LibraryCopy& copy)
{
    return writeFile(std::string(kEnvelopeName), encodeLibraryCopy(copy));
}

std::optional<LibraryCopy> LibraryCopyFolder::readFor(std::string_view email)
{
    if (!isRealFolder(folder_))
        return std::nullopt;
    std::string bytes;
    const FileRead read = readWholeFile(envelopePath(), kLibraryCopyMaxBytes, bytes);
    if (read == FileRead::Missing) {
        // Pictures without an envelope belong to no copy.
        remove();
        return std::nullopt;
    }
    LibraryCopy copy;
    if (read == FileRead::Bad || decodeLibraryCopy(bytes, copy) != CopyVerdict::Usable ||
        copy.email != email) {
        remove();
        return std::nullopt;
    }
    return copy;
}

std::optional<std::string> LibraryCopyFolder::account() const
{
    std::string bytes;
    LibraryCopy copy;
    if (readWholeFile(envelopePath(), kLibraryCopyMaxBytes, bytes) != FileRead::Read ||
        decodeLibraryCopy(bytes, copy) != CopyVerdict::Usable)
        return std::nullopt;
    return copy.email;
}

void LibraryCopyFolder::remove() { removeEntry(folder_); }

bool LibraryCopyFolder::keepPicture(std::string_view key, std::string_view bytes)
{
    if (bytes.empty() || bytes.size() > kKeptPictureMaxBytes)
        return false;
    return writeFile(hexName(key), bytes);
}

bool LibraryCopyFolder::hasPicture(std::string_view key) const
{
    std::error_code ec;
    return fs::symlink_status(picturePath(key), ec).type() == fs::file_type::regular;
}

std::string LibraryCopyFolder::picture(std::string_view key)
{
    if (!isRealFolder(folder_))
        return {};
    std::string bytes;
    const fs::path path = picturePath(key);
    if (readWholeFile(path, kKeptPictureMaxBytes, bytes) == FileRead::Read)
        return bytes;
    if (fs::exists(fs::symlink_status(path)))
        removeEntry(path);
    return {};
}

}  // namespace qk
