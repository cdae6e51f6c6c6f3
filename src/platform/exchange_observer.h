#pragma once
// What the agent learns from every store exchange besides its reply: whether the store
// was reached at all. Told on the thread that asked for the exchange, once it is over.

#include <string_view>

namespace qk::platform {

class ExchangeObserver {
public:
    virtual ~ExchangeObserver() = default;
    // `action`: the request body's first pair ("action=catalog"), never the rest (it may
    // carry a password). `reached`: a connection to the store was made (for `secure`, the
    // TLS handshake finished); false for a refused connection, an unknown host, a failed
    // handshake or a time-out while connecting, whatever the exchange then was.
    virtual void exchanged(std::string_view action, bool secure, std::string_view reply, bool reached) = 0;
};

}  // namespace qk::platform
