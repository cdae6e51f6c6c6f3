#include "store/store_probe.h"

#include <memory>
#include <string>

#include "platform/curl_global.h"

namespace qk {
namespace {

struct EasyDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};

int stopWhenCancelled(void* userdata, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<const std::atomic<bool>*>(userdata)->load() ? 1 : 0;
}

}  // namespace

bool storeAnswers(const Deployment& deployment, const std::atomic<bool>& cancelled)
{
    platform::ensureCurlInitialised();
    std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
    if (!easy || deployment.storeHost.empty())
        return false;
    CURL* h = easy.get();
    const std::string url =
        "https://" + deployment.storeHost + ":" + std::to_string(deployment.storeHttpsPort) + "/";
    platform::applyCommonOptions(h, deployment.caFile);
    const bool ok = curl_easy_setopt(h, CURLOPT_URL, url.c_str()) == CURLE_OK &&
                    curl_easy_setopt(h, CURLOPT_CONNECT_ONLY, 1L) == CURLE_OK &&
                    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, static_cast<long>(deployment.storeConnectSeconds)) == CURLE_OK &&
                    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L) == CURLE_OK &&
                    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &stopWhenCancelled) == CURLE_OK &&
                    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &cancelled) == CURLE_OK;
    return ok && curl_easy_perform(h) == CURLE_OK;
}

}  // namespace qk
