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
// plus the deployment's extra CA file (when given), no signals, no proxy
// surprises beyond the environment's own.
void applyCommonOptions(CURL* handle, const std::string& extraCaFile);

}  // namespace qk::platform
