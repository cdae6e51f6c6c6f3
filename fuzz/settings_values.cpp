// Values the agent reads back from its settings store: any stored text through the
// 255-byte buffer, the download folder ("FolderPath"), the saved login, and the
// remembered message-box answers (a decimal number under a scrambled value name). The
// key paths and names are checked too: a refused name never becomes a folder.
// Input: the stored bytes; the saved login takes the first half as the email and the
// second as the password.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "store/session.h"
#include "platform/setting_text.h"
#include "platform/settings_store.h"
#include "store/credentials.h"
#include "ui/message_box/remembered_answer.h"
#include "max_len.h"
#include "check.h"

namespace {

using qk::fuzz::check;

bool isContinuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Well-formed UTF-8 (shortest forms, no surrogates, at most U+10FFFF).
bool isUtf8(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        std::size_t n = b < 0x80 ? 1 : b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3 : b >= 0xF0 && b <= 0xF4 ? 4 : 0;
        if (n == 0 || i + n > s.size())
            return false;
        for (std::size_t k = 1; k < n; ++k)
            if (!isContinuation(s[i + k]))
                return false;
        const auto b1 = n > 1 ? static_cast<unsigned char>(s[i + 1]) : 0;
        if ((b == 0xE0 && b1 < 0xA0) || (b == 0xED && b1 > 0x9F) || (b == 0xF0 && b1 < 0x90) || (b == 0xF4 && b1 > 0x8F))
            return false;
        i += n;
    }
    return true;
}

void checkSettingText(std::string_view stored)
{
    const std::string text = qk::settingText(stored);
    check(text.size() <= qk::kSettingMaxBytes && text.find('\0') == std::string::npos);
    check(stored.starts_with(text));
    if (stored.size() <= qk::kSettingMaxBytes && stored.find('\0') == std::string_view::npos)
        check(text == stored);
}

void checkDownloadBase(std::string_view stored)
{
    constexpr std::string_view kFallback = "/home/pilot/.local/share";
    const std::string base = qk::downloadBaseOf(std::string(stored), kFallback);
    check(!base.empty());
    if (qk::settingText(stored).empty()) {
        check(base == kFallback);
        return;
    }
    check(base.size() <= qk::kSettingMaxBytes && stored.starts_with(base));
    // A path that is UTF-8 keeps whole characters only, and loses no more than the one
    // character the buffer's size splits.
    const std::string held = qk::settingText(stored);
    if (base.size() < held.size()) {
        check(held.size() == qk::kSettingMaxBytes && held.size() - base.size() <= 3);
        if (isUtf8(stored))
            check(!isContinuation(stored[base.size()]));
    } else {
        check(base == held);
    }
    if (isUtf8(stored) && base != kFallback)
        check(isUtf8(base));
}

void checkSavedLogin(std::string_view email, std::string_view password)
{
    // What loading makes of two stored values.
    qk::Session loaded;
    loaded.password = "kept-unless-stored";
    const int result = qk::takeStoredCredentials(std::string(email), std::string(password), loaded);
    check(result == 1 || result == -1);
    check((result == 1) == loaded.hasUsableLogin() && loaded.hasLogin == (result == 1));
    if (result == -1)
        check(loaded.email.empty() && loaded.password.empty());
    else
        check(loaded.email == qk::settingText(email));

    // A login saved from these texts loads back as the same login, or is not saved.
    qk::Session session;
    session.email = std::string(email);
    session.password = std::string(password);
    const auto saved = qk::storedLogin(session);
    const bool fits = email.size() <= qk::kSettingMaxBytes && 2 * password.size() <= qk::kSettingMaxBytes &&
                      email.find('\0') == std::string_view::npos && password.find('\0') == std::string_view::npos;
    check(saved.has_value() == fits);
    if (!saved || !session.hasUsableLogin())
        return;
    check(saved->email == session.email && saved->password == qk::scramble(session.password));
    qk::Session again;
    check(qk::takeStoredCredentials(saved->email, saved->password, again) == 1);
    check(again.email == session.email && again.password == session.password);
}

void checkRememberedAnswer(std::string_view stored, std::string_view rememberKey, int ident)
{
    // A stored number: digits only, within 32 bits.
    const auto number = qk::parseStoredNumber(stored);
    bool digits = !stored.empty();
    unsigned __int128 value = 0;
    for (const char c : stored) {
        if (c < '0' || c > '9') {
            digits = false;
            break;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > UINT32_MAX)
            digits = false;
    }
    check(number.has_value() == digits);
    if (number) {
        check(*number == static_cast<std::uint32_t>(value));
        check(qk::parseStoredNumber(std::to_string(*number)) == number);
    }

    // The value name is one plain component whatever the key: letters and digits, the
    // ident's sign at most.
    const std::string name = qk::ui::rememberedValueName(rememberKey, ident);
    check(name.size() > rememberKey.size());
    check(name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-") ==
          std::string::npos);
}

// The folder of a key path below the settings root: every non-empty "\\"-separated part
// one folder name, or no folder at all when any part could leave the root.
void checkKeyFolder(const qk::SettingsStore& settings, std::string_view keyPath)
{
    const std::filesystem::path folder = settings.keyFolder(keyPath);
    bool refused = false;
    std::filesystem::path expected = settings.root();
    std::size_t start = 0;
    while (true) {
        const std::size_t end = keyPath.find('\\', start);
        const std::string_view part = keyPath.substr(start, end == std::string_view::npos ? end : end - start);
        if (!part.empty()) {
            if (part == "." || part == ".." || part.find('/') != std::string_view::npos ||
                part.find('\0') != std::string_view::npos)
                refused = true;
            else
                expected /= std::string(part);
        }
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    if (refused) {
        check(folder.empty());
        return;
    }
    check(folder == expected);
    // Lexically below the root: the root's components, then plain names only.
    auto at = folder.begin();
    for (const auto& component : settings.root()) {
        check(at != folder.end() && *at == component);
        ++at;
    }
    for (; at != folder.end(); ++at)
        check(*at != ".." && *at != "." && !at->empty());
}

}  // namespace

// Every value is read through a 255-byte buffer; the saved login needs two values, each
// long enough to pass it.
QK_FUZZ_MAX_LEN(640)

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const qk::SettingsStore settings("/home/pilot/.config/varnel-qk-agent");
    const std::string_view stored(reinterpret_cast<const char*>(data), size);
    checkSettingText(stored);
    checkDownloadBase(stored);
    checkSavedLogin(stored.substr(0, size / 2), stored.substr(size / 2));
    checkRememberedAnswer(stored, stored, static_cast<int>(size) - 128);
    checkKeyFolder(settings, stored);
    return 0;
}
