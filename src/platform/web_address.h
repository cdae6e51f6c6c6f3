#pragma once
// Addresses the store hands over (a product's support link) are opened in the browser only
// when they are web addresses: anything else would have the desktop open a local file or
// start a program.

#include <string_view>

namespace qk::platform {

// True for an absolute "http://" or "https://" URL (scheme in any case) that names a host
// and holds no blank or control character.
bool isWebAddress(std::string_view text);

}  // namespace qk::platform
