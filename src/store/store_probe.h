#pragma once
// Whether the store can be reached now, asked without a request: a connection and a TLS
// handshake with the store's script port (through the proxy, as an exchange would go),
// verified as an exchange is, then closed. The store sees no request, so the agent can
// ask as often as it likes while it waits for the store to come back.

#include <atomic>

#include "platform/deployment.h"

namespace qk {

// true when the handshake finished. Blocks for at most the deployment's connect time;
// `cancelled` set from another thread ends it early (false).
bool storeAnswers(const Deployment& deployment, const std::atomic<bool>& cancelled);

}  // namespace qk
