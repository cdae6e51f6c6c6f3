#pragma once
// Pictures on the store web server (vendor logo, product art), fetched over plain HTTP.

#include <string>
#include <string_view>

#include "platform/deployment.h"

namespace qk::app {

// The picture's bytes; empty when nothing came back.
std::string fetchStorePicture(const Deployment& deployment, std::string_view path);

// Paths on the store web server. Identifiers go in as path segments, escaped only where
// a request target cannot carry them as they are (a blank becomes "%20").
std::string vendorLogoPath(std::string_view vendorId);
std::string productPicturePath(std::string_view vendorId, std::string_view productId,
                               bool legacy);

}  // namespace qk::app
