#include "store/credentials.h"

#include <array>
#include <cstdint>

#include "platform/setting_text.h"
#include "platform/settings_store.h"

namespace qk {
namespace {

constexpr std::string_view kScrambleKey = "7Rb52Qa8";
constexpr std::string_view kEmailValue = "email";
constexpr std::string_view kPasswordValue = "password";

// The RC4 keystream for the scrambling key, from its first byte.
class Keystream {
public:
    Keystream()
    {
        for (int k = 0; k < 256; ++k)
            state_[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(k);
        std::uint8_t j = 0;
        for (std::size_t k = 0; k < 256; ++k) {
            j = static_cast<std::uint8_t>(j + state_[k] +
                                          static_cast<std::uint8_t>(kScrambleKey[k % kScrambleKey.size()]));
            std::swap(state_[k], state_[j]);
        }
    }

    std::uint8_t next()
    {
        i_ = static_cast<std::uint8_t>(i_ + 1);
        j_ = static_cast<std::uint8_t>(j_ + state_[i_]);
        std::swap(state_[i_], state_[j_]);
        return state_[static_cast<std::uint8_t>(state_[i_] + state_[j_])];
    }

private:
    std::array<std::uint8_t, 256> state_{};
    std::uint8_t i_ = 0;
    std::uint8_t j_ = 0;
};

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The key schedule is the same for every text: made once, copied for each.
Keystream freshKeystream()
{
    static const Keystream initial;
    return initial;
}

}  // namespace

std::string scramble(std::string_view password)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    Keystream keystream = freshKeystream();
    std::string out;
    out.reserve(password.size() * 2);
    for (const char c : password) {
        const auto byte = static_cast<std::uint8_t>(static_cast<std::uint8_t>(c) ^ keystream.next());
        out.push_back(kHex[byte >> 4]);
        out.push_back(kHex[byte & 0x0F]);
    }
    return out;
}

std::string unscramble(std::string_view hexText)
{
    Keystream keystream = freshKeystream();
    std::string out;
    for (std::size_t at = 0; at + 1 < hexText.size(); at += 2) {
        const int high = hexDigit(hexText[at]);
        const int low = hexDigit(hexText[at + 1]);
        if (high < 0 || low < 0)
            break;  // not a stored password: what was read so far is all there is
        const auto byte = static_cast<std::uint8_t>(((high << 4) | low) ^ keystream.next());
        if (byte == 0)
            break;
        out.push_back(static_cast<char>(byte));
    }
    return out;
}

std::optional<StoredLogin> storedLogin(const Session& session)
{
    const auto readsBack = [](std::string_view value) {
        return value.size() <= kSettingMaxBytes && value.find('\0') == std::string_view::npos;
    };
    StoredLogin login{session.email, scramble(session.password)};
    // A NUL in the password would end it when unscrambled.
    if (!readsBack(login.email) || !readsBack(login.password) ||
        session.password.find('\0') != std::string::npos)
        return std::nullopt;
    return login;
}

int saveCredentials(SettingsStore& settings, const Session& session)
{
    if (!settings.keyExists(kSettingsKey) && !settings.createKey(kSettingsKey))
        return 0;
    const std::optional<StoredLogin> login = storedLogin(session);
    if (!login) {
        deleteCredentials(settings);
        return -1;
    }
    if (!settings.writeValue(kSettingsKey, kEmailValue, login->email))
        return -1;
    if (!settings.writeValue(kSettingsKey, kPasswordValue, login->password))
        return -1;
    return 1;
}

int takeStoredCredentials(const std::optional<std::string>& email,
                          const std::optional<std::string>& password, Session& session)
{
    session.email = email ? settingText(*email) : std::string();
    const std::string stored = password ? settingText(*password) : std::string();
    if (!stored.empty())
        session.password = unscramble(stored);
    if (session.hasUsableLogin()) {
        session.hasLogin = true;
        return 1;
    }
    session.email.clear();
    session.password.clear();
    return -1;
}

int loadCredentials(SettingsStore& settings, Session& session)
{
    if (!settings.keyExists(kSettingsKey))
        return 0;
    return takeStoredCredentials(settings.readValue(kSettingsKey, kEmailValue),
                                 settings.readValue(kSettingsKey, kPasswordValue), session);
}

int deleteCredentials(SettingsStore& settings)
{
    if (settings.keyExists(kSettingsKey)) {
        settings.deleteValue(kSettingsKey, kEmailValue);
        settings.deleteValue(kSettingsKey, kPasswordValue);
    }
    return 1;
}

}  // namespace qk
