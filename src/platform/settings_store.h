#pragma once
// The per-user settings store: a key is a folder, a value is a file holding the value's
// bytes. Key paths are written the registry way ("Software\Varnel Software\VNPurchase\")
// and map to folders below the root. Writes are atomic (temp file + rename); folders are
// created 0700, files 0600, so a saved login is readable by its owner only.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace qk {

namespace platform {
class QuitRequest;
}

class SettingsStore {
public:
    // With `quit`, nothing is written or deleted any more once the agent is asked to end:
    // a flow cut short by the quit leaves the settings as they were.
    explicit SettingsStore(std::filesystem::path root, const platform::QuitRequest* quit = nullptr);

    [[nodiscard]] const std::filesystem::path& root() const { return root_; }

    [[nodiscard]] bool keyExists(std::string_view keyPath) const;
    // Creates the key and its parents; true when it exists afterwards.
    bool createKey(std::string_view keyPath);
    // The value's bytes, or nothing when the key or value is missing or unreadable.
    [[nodiscard]] std::optional<std::string> readValue(std::string_view keyPath,
                                                       std::string_view name) const;
    // Writes into an existing key; false when the key is missing or the write fails.
    bool writeValue(std::string_view keyPath, std::string_view name, std::string_view bytes);
    // true when the value is gone afterwards (also when it never existed).
    bool deleteValue(std::string_view keyPath, std::string_view name);

    // A 32-bit number stored as decimal text.
    [[nodiscard]] std::optional<std::uint32_t> readNumber(std::string_view keyPath,
                                                          std::string_view name) const;
    bool writeNumber(std::string_view keyPath, std::string_view name, std::uint32_t value);

    [[nodiscard]] std::filesystem::path keyFolder(std::string_view keyPath) const;

private:
    [[nodiscard]] bool frozen() const;

    std::filesystem::path root_;
    const platform::QuitRequest* quit_ = nullptr;
};

// A stored number's bytes: plain decimal digits and nothing else, within 32 bits.
std::optional<std::uint32_t> parseStoredNumber(std::string_view text);

}  // namespace qk
