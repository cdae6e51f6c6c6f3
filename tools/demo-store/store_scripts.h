#pragma once
// The store web server's scripts and pages, independent of the transport that carries
// them: the HTTPS server answers the scripts, the plain-HTTP server the notification,
// pictures and pages.

#include "accounts.h"
#include "paypal_sessions.h"
#include "store_controls.h"

#include <string>
#include <string_view>

namespace qk::demo {

struct ScriptReply {
    int status = 200;
    std::string contentType = "text/plain";
    std::string body;
    std::string location;  // sent as Location when not empty (redirects)
};

// The store's shared state, owned by main and handed to every script.
struct StoreContext {
    StoreControls& controls;
    AccountBook& accounts;
    PaypalSessions& paypal;
};

inline ScriptReply textReply(std::string body) { return ScriptReply{200, "text/plain", std::move(body), {}}; }
ScriptReply htmlPage(int status, const std::string& title, const std::string& bodyHtml);

// A request over HTTPS: every store script, and the pages a browser opens.
ScriptReply answerSecure(const std::string& method, const std::string& path, const std::string& query,
                         const std::string& body, StoreContext& store);

// A request over plain HTTP other than pictures and controls: the notification (a GET
// with a body) and the pages a browser opens.
ScriptReply answerPlain(const std::string& path, const std::string& query, const std::string& body,
                        StoreContext& store);

}  // namespace qk::demo
