#include "platform/curl_global.h"

#include <mutex>

namespace qk::platform {

void ensureCurlInitialised()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

void applyCommonOptions(CURL* handle, const std::string& extraCaFile)
{
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!extraCaFile.empty()) {
        // CURLOPT_CAINFO would replace the system store; a blob of our own would too.
        // OpenSSL-backed libcurl keeps the system store through CURLOPT_CAPATH while
        // CAINFO names the extra file, so both are trusted.
        curl_easy_setopt(handle, CURLOPT_CAINFO, extraCaFile.c_str());
        curl_easy_setopt(handle, CURLOPT_CAPATH, "/etc/ssl/certs");
    }
}

}  // namespace qk::platform
