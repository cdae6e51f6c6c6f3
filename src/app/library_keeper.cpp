#include "app/library_keeper.h"

#include "app/store_pictures.h"
#include "platform/settings_store.h"
#include "store/credentials.h"
#include "store/session.h"

namespace qk::app {

namespace {
constexpr std::string_view kCatalogAction = "action=catalog";
constexpr std::string_view kPurchasesAction = "action=getpurchases";
}  // namespace

LibraryKeeper::LibraryKeeper(const std::filesystem::path& settingsDir)
    : folder_(settingsDir / "library-copy")
{
}

std::optional<std::string> savedLoginEmail(const SettingsStore& settings)
{
    std::optional<std::string> email = settings.readValue(kSettingsKey, "email");
    if (email && email->empty())
        email.reset();
    return email;
}

void LibraryKeeper::exchanged(std::string_view action, bool secure, std::string_view reply, bool reached)
{
    if (!secure)
        return;  // pictures and the notification say nothing about the store's scripts
    if (!reached)
        unreachable_ = true;
    if (!reached)
        return;
    // The purchases reply comes before the refresh knows whose login it is (settle); the
    // catalog, which may be large, is held only by a keeper.
    if (action == kCatalogAction && keeping_)
        catalogReply_ = std::string(reply);
    else if (action == kPurchasesAction)
        purchasesReply_ = std::string(reply);
}

void LibraryKeeper::settle(const SettingsStore& settings, const Session& session)
{
    const std::optional<std::string> saved = savedLoginEmail(settings);
    const bool keep = saved && *saved == session.email && session.hasUsableLogin();
    catalogReply_.reset();
    if (!keep)
        purchasesReply_.reset();
    keeping_ = keep;
    email_ = keep ? session.email : std::string();
    if (!writing_)
        return;
    const std::optional<std::string> owner = folder_.account();
    if (!keep || !owner || *owner != session.email)
        folder_.remove();
}

void LibraryKeeper::renew(std::int64_t now)
{
    if (keeping_ && writing_ && catalogReply_ && purchasesReply_)
        folder_.write({email_, now, *catalogReply_, *purchasesReply_});
    // Written or not, the replies are not held longer than the refresh.
    catalogReply_.reset();
    purchasesReply_.reset();
}

void LibraryKeeper::discard()
{
    keeping_ = false;
    email_.clear();
    catalogReply_.reset();
    purchasesReply_.reset();
    if (writing_)
        folder_.remove();
}

std::optional<LibraryCopy> LibraryKeeper::copyFor(const SettingsStore& settings)
{
    const std::optional<std::string> saved = savedLoginEmail(settings);
    if (!saved) {
        // A copy without a saved login is no one's.
        if (writing_)
            folder_.remove();
        return std::nullopt;
    }
    return folder_.readFor(*saved);
}

std::string LibraryKeeper::pictureFromStore(const Deployment& deployment, std::string_view key,
                                            std::string_view path, bool keep)
{
    if (offline)
        return folder_.picture(key);
    std::string picture = fetchStorePicture(deployment, path);
    if (keep && keeping_ && writing_ && !picture.empty())
        folder_.keepPicture(key, picture);
    return picture;
}

std::string LibraryKeeper::productPicture(const Deployment& deployment, std::string_view productId,
                                          std::string_view path, bool owned)
{
    return pictureFromStore(deployment, productId, path, owned);
}

std::string LibraryKeeper::vendorLogo(const Deployment& deployment, std::string_view path)
{
    return pictureFromStore(deployment, LibraryCopyFolder::kLogoKey, path, true);
}

}  // namespace qk::app
