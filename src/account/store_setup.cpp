#include "account/store_setup.h"

#include <exception>

#include "store/credentials.h"
#include "store/reply.h"

namespace qk {

namespace {
constexpr std::size_t kVendorIdMin = 6;
}

int setUpStore(Session& session, SettingsStore& settings, std::string_view vendorId,
               std::string_view vendorName, std::string_view vendorPassword)
{
    if (vendorName.empty() || vendorPassword.empty() || vendorId.size() < kVendorIdMin)
        return -1;
    try {
        session.vendorId = vendorId;
        session.vendorPassword = vendorPassword;
        session.storeParams = RequestBody("&vendor=")
                                  .add(formEncode(vendorName), "&vendorid=", vendorId,
                                       "&vendorpwd=", vendorPassword, "&channel=", "0")
                                  .text();
        session.vendorName = vendorName;
        if (!session.hasUsableLogin())
            loadCredentials(settings, session);
        session.currencySymbol = "$";
        session.storeReady = true;
        return 1;
    } catch (const std::exception&) {
        return 0;
    }
}

}  // namespace qk
