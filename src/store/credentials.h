#pragma once
// The saved login: email in plain text, password RC4-scrambled and written as
// upper-case hexadecimal, both under the agent's settings key.

#include <optional>
#include <string>
#include <string_view>

#include "account/session.h"

namespace qk {

class SettingsStore;

inline constexpr const char* kSettingsKey = "Software\\Varnel Software\\VNPurchase\\";

std::string scramble(std::string_view password);
std::string unscramble(std::string_view hexText);

// 1 saved; 0 the key can be neither opened nor created; -1 a value cannot be written.
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
