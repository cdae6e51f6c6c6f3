#include "platform/curl_global.h"

#include <openssl/ssl.h>

#include <mutex>

namespace qk::platform {
namespace {

int watchIndex()
{
    static const int index = SSL_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

void onTlsEvent(const SSL* ssl, int where, int alert)
{
    if ((where & SSL_CB_READ_ALERT) != SSL_CB_READ_ALERT || (alert & 0xff) != SSL_AD_CLOSE_NOTIFY)
        return;
    if (auto* watch = static_cast<TlsCloseWatch*>(SSL_CTX_get_ex_data(SSL_get_SSL_CTX(ssl), watchIndex())))
        watch->closeNotifySeen = true;
}

// Runs once libcurl has set up the connection's TLS context, before the handshake.
CURLcode attachWatch(CURL*, void* context, void* watch)
{
    auto* tls = static_cast<SSL_CTX*>(context);
    // Without the watch attached no close_notify is ever seen, which errs on the safe side.
    if (watchIndex() >= 0 && SSL_CTX_set_ex_data(tls, watchIndex(), watch) == 1)
        SSL_CTX_set_info_callback(tls, &onTlsEvent);
    return CURLE_OK;
}

}  // namespace

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

bool watchTlsClose(CURL* handle, TlsCloseWatch& watch)
{
    return curl_easy_setopt(handle, CURLOPT_SSL_CTX_FUNCTION, &attachWatch) == CURLE_OK &&
           curl_easy_setopt(handle, CURLOPT_SSL_CTX_DATA, &watch) == CURLE_OK;
}

}  // namespace qk::platform
