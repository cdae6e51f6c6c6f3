#pragma once
// Keeps the copy of the customer's library up to date while the store answers: it hears
// every store exchange (was the store reached; the catalog and purchases replies as they
// came), renews the copy after a refresh of a saved login, keeps the owned products'
// pictures and the logo as they are fetched, and deletes the copy when it is not the
// saved login's. Offline, pictures come from the copy instead of the store.

#include <optional>
#include <string>
#include <string_view>

#include "platform/deployment.h"
#include "platform/exchange_observer.h"
#include "store/library_copy.h"

namespace qk {
class SettingsStore;
struct Session;
}  // namespace qk

namespace qk::app {

class LibraryKeeper final : public platform::ExchangeObserver {
public:
    explicit LibraryKeeper(const std::filesystem::path& settingsDir);

    void exchanged(std::string_view action, bool secure, std::string_view reply, bool reached) override;

    // A refresh starts: forget what earlier exchanges said about the store's reach.
    void beginRefresh() { unreachable_ = false; }
    // A store script found no store since beginRefresh.
    [[nodiscard]] bool storeUnreachable() const { return unreachable_; }

    // After the login step reached the store: the copy is kept from now on only when the
    // session's login is the saved one; any copy of another account is deleted now.
    void settle(const SettingsStore& settings, const Session& session);
    // After a whole refresh: writes the copy from the replies heard (when keeping).
    void renew(std::int64_t now);
    // Logout: the copy goes, and nothing is kept until a saved login refreshes again.
    void discard();
    // A quit was asked: nothing more is written.
    void stopWriting() { writing_ = false; }

    // The copy of the saved login, when a usable one exists; bad ones are deleted.
    std::optional<LibraryCopy> copyFor(const SettingsStore& settings);

    // Pictures: from the store online (kept when the product is owned and the copy is
    // kept), from the copy offline.
    std::string productPicture(const Deployment& deployment, std::string_view productId,
                               std::string_view path, bool owned);
    std::string vendorLogo(const Deployment& deployment, std::string_view path);

    bool offline = false;  // the window shows the copy; the store is not asked

private:
    std::string pictureFromStore(const Deployment& deployment, std::string_view key,
                                 std::string_view path, bool keep);

    LibraryCopyFolder folder_;
    bool unreachable_ = false;
    bool keeping_ = false;  // the session's login is the saved one
    bool writing_ = true;
    std::string email_;
    std::optional<std::string> catalogReply_;
    std::optional<std::string> purchasesReply_;
};

// The saved login's e-mail; nothing without one.
std::optional<std::string> savedLoginEmail(const SettingsStore& settings);

}  // namespace qk::app
