#pragma once
// The kept copy of a customer's library: what the agent needs to show the library again
// when the store cannot be reached. The store's own catalog and purchases replies (the
// usual readers parse them again), the account's e-mail and the time of the copy, in
// one envelope file with a format version and a checksum; the owned products' pictures
// and the vendor logo as files beside it. Everything lives in one folder of the
// settings folder, written the settings' way: temp file, synced, renamed, mode 0600.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace qk {

struct LibraryCopy {
    std::string email;           // the account the replies belong to
    std::int64_t savedAt = 0;    // seconds since 1970, UTC
    std::string catalogReply;    // as the store sent it
    std::string purchasesReply;  // as the store sent it
};

inline constexpr std::uint32_t kLibraryCopyVersion = 1;
// No envelope is larger: two replies, each within the exchange's cap, and an e-mail.
inline constexpr std::size_t kLibraryCopyMaxBytes = 2 * 64 * 1024 * 1024 + 4096;
// A picture is a few hundred kilobytes at most; a larger file is not one of ours.
inline constexpr std::size_t kKeptPictureMaxBytes = 8 * 1024 * 1024;

// The envelope's bytes: magic, version, the four fields each with its length, and a
// checksum over all of it.
std::string encodeLibraryCopy(const LibraryCopy& copy);

enum class CopyVerdict {
    Usable,
    Damaged,       // not an envelope, cut short, bytes changed, lengths that do not add up
    OtherVersion,  // an envelope of another format version
};
// Reads an envelope. `out` is filled only when the verdict is Usable.
CopyVerdict decodeLibraryCopy(std::string_view bytes, LibraryCopy& out);

// The copy's folder. Nothing in it is followed through a symbolic link; whatever is
// there that is not what the agent wrote (a damaged envelope, a folder or a link in a
// file's place, a copy of another account or format) is deleted when it is read.
class LibraryCopyFolder {
public:
    explicit LibraryCopyFolder(std::filesystem::path folder);

    [[nodiscard]] const std::filesystem::path& folder() const { return folder_; }

    // Writes the envelope whole or not at all; false when it could not be.
    bool write(const LibraryCopy& copy);
    // The copy, when there is a usable one of this account; any other is deleted.
    std::optional<LibraryCopy> readFor(std::string_view email);
    // The account of the copy on disk, without judging the rest; nothing when there is no
    // envelope that reads.
    [[nodiscard]] std::optional<std::string> account() const;
    // Deletes the copy, pictures included.
    void remove();

    // Pictures by key: a product's identifier, or kLogoKey for the vendor logo.
    static constexpr std::string_view kLogoKey = "\x01logo";
    bool keepPicture(std::string_view key, std::string_view bytes);
    [[nodiscard]] bool hasPicture(std::string_view key) const;
    // The picture's bytes; empty when there is none (a bad file in its place is deleted).
    std::string picture(std::string_view key);

private:
    [[nodiscard]] std::filesystem::path envelopePath() const;
    [[nodiscard]] std::filesystem::path picturePath(std::string_view key) const;
    bool writeFile(const std::string& name, std::string_view bytes);

    std::filesystem::path folder_;
};

}  // namespace qk
