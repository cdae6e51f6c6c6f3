#pragma once
// The saved login: email in plain text, password RC4-scrambled and written as
// upper-case hexadecimal, both under the agent's settings key.

#include <optional>
#include <string>
#include <string_view>

#include "store/session.h"

namespace qk {

class SettingsStore;

inline constexpr const char* kSettingsKey = "Software\\Varnel Software\\VNPurchase\\";

std::string scramble(std::string_view password);
std::string unscramble(std::string_view hexText);

// The two values a saved login is kept as: the email, and the scrambled password.
struct StoredLogin {
    std::string email;
    std::string password;
};
// Nothing when either value would not read back as written through the 255-byte read
// buffer (an email over 255 bytes, a password over 127, or a NUL in either): kept anyway,
// the next start would log in with a cut password.
std::optional<StoredLogin> storedLogin(const Session& session);

// 1 saved; 0 the key can be neither opened nor created; -1 a value cannot be written,
// or the login would not read back whole (storedLogin): then no saved login is left at
// all, rather than an older one standing in for it.
int saveCredentials(SettingsStore& settings, const Session& session);
// 1 usable login loaded (session marked logged in); -1 unusable (both emptied); 0 no key.
int loadCredentials(SettingsStore& settings, Session& session);
// The login half of loadCredentials, from the two stored values as read (each as the
// 255-byte buffer holds it): 1 usable (session marked logged in), -1 unusable (both
// emptied). A missing or empty password keeps the session's.
int takeStoredCredentials(const std::optional<std::string>& email,
                          const std::optional<std::string>& password, Session& session);
// Deletes both values; always 1.
int deleteCredentials(SettingsStore& settings);

}  // namespace qk
