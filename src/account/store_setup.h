#pragma once
// The store set-up step: fills the session with the preset vendor and makes the store ready.

#include <string_view>

#include "account/session.h"

namespace qk {

struct Cart;
class SettingsStore;

// 1 done; -1 bad input (empty name or password, identifier under 6 characters; nothing
// changes); 0 unexpected failure (the store stays not ready). Takes the saved login when
// the session has no usable one, and empties the cart on the first run.
int setUpStore(Session& session, Cart& cart, SettingsStore& settings, std::string_view vendorId,
               std::string_view vendorName, std::string_view vendorPassword);

}  // namespace qk
