#pragma once
// Where the store web server and the file servers live, and which settings folders
// the agent uses. Build settings, each overridable by a QKAGENT_* environment variable
// so that the demo store and the tests can point the agent at loopback.

#include <filesystem>
#include <string>
#include <string_view>

namespace qk {

namespace platform {
class ExchangeObserver;
class ExchangeWait;
class QuitRequest;
}

struct Deployment {
    std::string storeHost;        // store web server host
    int storeHttpsPort = 443;     // port for requests with secure = 1
    int storeHttpPort = 80;       // port for requests with secure = 0
    std::string filePrimary;      // "host" or "host:port"
    std::string fileSecondary;    // "host" or "host:port"
    std::string caFile;           // extra CA certificate (PEM) trusted for HTTPS; empty: none
    std::filesystem::path settingsDir;  // root of the settings store
    std::filesystem::path appDataDir;   // the roaming application-data folder
    // How the thread that asks for a store exchange waits for it (the agent's window
    // keeps painting); null: the exchange runs on the calling thread. Not owned.
    platform::ExchangeWait* exchangeWait = nullptr;
    // Told of every store exchange (whether the store was reached); null: nobody. Not
    // owned.
    platform::ExchangeObserver* exchangeObserver = nullptr;
    // Seconds to reach the store (name, connection, TLS handshake) before it counts as
    // out of reach, so a start-up without a network knows it within ten seconds.
    int storeConnectSeconds = 8;
    // While the store is out of reach the agent tries it again after the first delay,
    // each delay twice the one before, up to the longest (milliseconds).
    int offlineRetryFirstMs = 30 * 1000;
    int offlineRetryLongestMs = 5 * 60 * 1000;
    // Set once the agent is asked to end; null: never asked. Not owned.
    platform::QuitRequest* quit = nullptr;
    // How long a purchase, once its request has gone out, may go without a byte before
    // the agent stops waiting for its outcome. A payment gateway may take minutes; TCP
    // keep-alive probes find a dead store sooner.
    static constexpr int kPurchaseReplySeconds = 300;
    int purchaseReplySeconds = kPurchaseReplySeconds;

    // true once the agent has been asked to end.
    [[nodiscard]] bool quitAsked() const;

    // The compiled-in defaults with the environment's overrides applied.
    static Deployment fromEnvironment();

    // Absolute URL of a path on the store web server. The scheme is informative only:
    // a StoreRequest's `secure` alone decides scheme and port.
    [[nodiscard]] std::string storeUrl(std::string_view path) const;

    // Address of a store page opened in the browser. Unlike a request, the browser knows
    // no deployment ports, so a TLS port other than 443 is written into the address.
    [[nodiscard]] std::string storePageUrl(std::string_view path) const;
    // The same for a page on the store's unencrypted address.
    [[nodiscard]] std::string storePlainPageUrl(std::string_view path) const;
};

}  // namespace qk
