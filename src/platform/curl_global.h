#pragma once
// libcurl glue shared by the store exchange and the download engine.

#include <curl/curl.h>

#include <string>

namespace qk::platform {

// The agent introduces itself with this user agent on every request.
inline constexpr const char* kUserAgent = "Varnel 3/0";

// Initialises libcurl once per process (thread-safe); call before the first handle.
void ensureCurlInitialised();

// Options every handle of the agent carries: TLS verification on, the system CA store
// plus the deployment's extra CA file (when given), no signals. The proxy is the
// environment's (https_proxy, http_proxy, all_proxy, no_proxy, read by libcurl itself);
// through a CONNECT tunnel the server's certificate is still verified end to end.
void applyCommonOptions(CURL* handle, const std::string& extraCaFile);

// Whether the TLS peer of a transfer ended its side with close_notify. A reply whose
// end is the end of the connection (no length, not chunked) is whole over TLS only
// with that proof: a bare FIN is also what cutting the stream looks like, and libcurl
// takes it for the end for old servers' sake.
struct TlsCloseWatch {
    bool closeNotifySeen = false;
};

// Has the handle's TLS connections report to `watch`, which must outlive the transfer.
// False when the TLS library in use does not allow it (then no close is ever seen).
bool watchTlsClose(CURL* handle, TlsCloseWatch& watch);

}  // namespace qk::platform
