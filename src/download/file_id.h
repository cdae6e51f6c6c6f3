#pragma once
// The one-time file id that the store web server hands out for one file of a product
// the customer owns, and the file-server address built from it.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "store/session.h"
#include "platform/deployment.h"

namespace qk::download {

// Opens the login dialog; its result is not used, only the session it leaves.
using LoginPrompt = std::function<void()>;

// Asks "/vngetfile.asp" for the file id of `pid` (a product id, or "<product id>:<n>"
// for file n of a multi-file product) and keeps the reply in `keptReply`. Returns the
// reply's length; 0 when the exchange failed; -1 when pid has 3 characters or fewer or
// nobody is logged in; -2 when there is no usable login even after the login dialog.
// On every path but success `keptReply` is empty.
int requestFileId(const Deployment& deployment, Session& session, std::string_view pid,
                  std::string& keptReply, const LoginPrompt& promptLogin);

// The file id of a reply of exactly five "|"-separated fields (the fifth); nothing for
// any other reply.
std::optional<std::string> fileIdOf(std::string_view reply);

// "<scheme>://<host[:port]>/sendfile.php?id=" + file id. A file server is named as
// "host[:port]" (plain HTTP, the usual case) or "https://host[:port]" (TLS, verified
// like the store); "http://host[:port]" is the same as the bare form.
std::string fileUrl(std::string_view fileServer, std::string_view fileId);

// The schemes a file server's redirect may lead to from `url`. A file asked for over
// HTTPS never continues over plain HTTP, where anyone on the way could replace it; a
// plain-HTTP file server may hand over to either.
const char* redirectProtocolsFor(std::string_view url);

}  // namespace qk::download
