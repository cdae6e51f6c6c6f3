#pragma once
// The store set-up step: fills the session with the preset vendor and makes the store ready.

#include <string_view>

#include "store/session.h"

namespace qk {

class SettingsStore;

// 1 done; -1 bad input (empty name or password, identifier under 6 characters; nothing
// changes); 0 unexpected failure (the store stays not ready). Takes the saved login when
// the session has no usable one. The caller that owns the cart empties it on the first run.
int setUpStore(Session& session, SettingsStore& settings, std::string_view vendorId,
               std::string_view vendorName, std::string_view vendorPassword);

}  // namespace qk
