#pragma once
// The user locale's number format, read from the environment (LC_ALL, LC_NUMERIC, LANG).

#include "platform/ports.h"

namespace qk::platform {

class UserLocale final : public LocaleInfo {
public:
    // Looked up on every call; the process-wide C locale is never changed.
    char decimalSeparator() override;
};

// The separator of the named locale ("" = the user's), or '.' when the locale is
// unknown or its separator is not a single byte.
char decimalSeparatorOf(const char* localeName);

}  // namespace qk::platform
