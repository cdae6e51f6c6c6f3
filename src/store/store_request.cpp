#include "store/store_request.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>
#include <memory>
#include <new>

#include "platform/curl_global.h"
#include "platform/exchange_observer.h"
#include "platform/exchange_wait.h"

namespace qk {
namespace {

struct EasyDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;
using UrlHandle = std::unique_ptr<CURLU, UrlDeleter>;
using HeaderList = std::unique_ptr<curl_slist, ListDeleter>;

constexpr long kMaxRedirects = 5;

struct ReplySink {
    CURL* handle = nullptr;
    std::string* reply = nullptr;
    int* replyBytes = nullptr;
    std::size_t maxBytes = 0;
    bool tooLarge = false;
};

std::size_t appendChunk(char* data, std::size_t size, std::size_t count, void* userdata)
{
    auto* sink = static_cast<ReplySink*>(userdata);
    const std::size_t n = size * count;
    if (n > sink->maxBytes - std::min(sink->maxBytes, sink->reply->size())) {
        sink->tooLarge = true;
        return 0;  // ends the transfer
    }
    try {
        if (sink->reply->empty()) {
            // Room for the announced length at once, rather than growing by doubling.
            curl_off_t announced = -1;
            if (curl_easy_getinfo(sink->handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced) == CURLE_OK &&
                announced > 0 && static_cast<std::uint64_t>(announced) <= sink->maxBytes)
                sink->reply->reserve(static_cast<std::size_t>(announced));
        }
        sink->reply->append(data, n);
    } catch (const std::bad_alloc&) {
        return 0;  // ends the transfer as a failed one
    }
    const long long total = static_cast<long long>(*sink->replyBytes) + static_cast<long long>(n);
    *sink->replyBytes = total > INT_MAX ? INT_MAX : static_cast<int>(total);
    return n;
}

// Gives up on a peer that has moved no byte either way for the time-out. libcurl's own
// low-speed check averages over several seconds, so it would only fire well after the
// time-out once the request body had gone out.
struct IdleWatch {
    std::chrono::steady_clock::duration limit;
    std::chrono::steady_clock::duration replyLimit;  // once the whole request has gone out
    std::chrono::steady_clock::time_point lastActivity = std::chrono::steady_clock::now();
    curl_off_t lastDown = 0;
    curl_off_t lastUp = 0;
};

int watchIdle(void* userdata, curl_off_t, curl_off_t down, curl_off_t upTotal, curl_off_t up)
{
    auto* watch = static_cast<IdleWatch*>(userdata);
    const auto now = std::chrono::steady_clock::now();
    if (down != watch->lastDown || up != watch->lastUp) {
        watch->lastDown = down;
        watch->lastUp = up;
        watch->lastActivity = now;
        return 0;
    }
    const bool sent = up > 0 && up >= upTotal;
    const auto limit = sent ? watch->replyLimit : watch->limit;
    return now - watch->lastActivity >= limit ? 1 : 0;  // non-zero ends the transfer
}

// How the latest reply head says its body ends. Only a body that runs to the end of the
// connection needs a proof of that end.
struct BodyEnd {
    bool byLength = false;  // Content-Length or chunked: the body knows its own end
    bool noBody = false;    // an interim 1xx head, 204 or 304
};

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(text[i]) != lower(prefix[i]))
            return false;
    }
    return true;
}

std::size_t readHeaderLine(char* data, std::size_t size, std::size_t count, void* userdata)
{
    auto* end = static_cast<BodyEnd*>(userdata);
    const std::string_view line(data, size * count);
    if (line.starts_with("HTTP/")) {
        // Each reply head (a proxy's CONNECT answer, a redirect, the reply) starts afresh.
        const std::size_t blank = line.find(' ');
        const std::string_view code = blank == std::string_view::npos ? std::string_view() : line.substr(blank + 1, 3);
        *end = BodyEnd{};
        end->noBody = code.starts_with('1') || code == "204" || code == "304";
    } else if (startsWithIgnoringCase(line, "content-length:")) {
        end->byLength = true;
    } else if (startsWithIgnoringCase(line, "transfer-encoding:")) {
        for (std::size_t at = 0; at + 7 <= line.size(); ++at) {
            if (startsWithIgnoringCase(line.substr(at), "chunked"))
                end->byLength = true;
        }
    }
    return size * count;
}

// The request's own URL: host, path and query of `url`, with the scheme and port that
// `secure` chooses. Nothing when the URL has no host.
UrlHandle targetUrl(const std::string& url, bool secure, int port)
{
    UrlHandle parsed(curl_url());
    if (!parsed)
        return nullptr;
    // A URL without a scheme still names its host first, as the platform splitter reads it.
    if (curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(),
                     CURLU_DEFAULT_SCHEME | CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK)
        return nullptr;
    char* host = nullptr;
    if (curl_url_get(parsed.get(), CURLUPART_HOST, &host, 0) != CURLUE_OK || !host)
        return nullptr;
    const bool hasHost = *host != '\0';
    curl_free(host);
    if (!hasHost)
        return nullptr;
    const std::string portText = std::to_string(port);
    if (curl_url_set(parsed.get(), CURLUPART_SCHEME, secure ? "https" : "http", 0) != CURLUE_OK ||
        curl_url_set(parsed.get(), CURLUPART_PORT, portText.c_str(), 0) != CURLUE_OK ||
        curl_url_set(parsed.get(), CURLUPART_USER, nullptr, 0) != CURLUE_OK ||
        curl_url_set(parsed.get(), CURLUPART_PASSWORD, nullptr, 0) != CURLUE_OK ||
        curl_url_set(parsed.get(), CURLUPART_FRAGMENT, nullptr, 0) != CURLUE_OK)
        return nullptr;
    return parsed;
}

}  // namespace

StoreRequest::StoreRequest(const Deployment& deployment) : deployment_(deployment) {}

void StoreRequest::waitForOutcome()
{
    deadlineSeconds = 0;
    replyWaitSeconds = deployment_.purchaseReplySeconds;
    keepAliveProbes = true;
}

int StoreRequest::send()
{
    requestSent = false;
    if (deployment_.quitAsked()) {
        reply.clear();
        hasReply = 0;
        replyBytes = 0;
        return kQuitting;
    }
    int result = kSent;
    platform::runExchange(deployment_.exchangeWait, [this, &result] { result = exchange(); });
    if (deployment_.exchangeObserver) {
        const std::string_view action = std::string_view(body).substr(0, body.find('&'));
        deployment_.exchangeObserver->exchanged(action, secure == 1, reply, storeReached);
    }
    return result;
}

int StoreRequest::exchange()
{
    reply.clear();
    hasReply = 0;
    replyBytes = 0;
    storeReached = false;

    platform::ensureCurlInitialised();
    EasyHandle easy(curl_easy_init());
    if (!easy)
        return kNoSession;

    const bool isSecure = secure == 1;
    UrlHandle target = targetUrl(url.str(), isSecure,
                                 isSecure ? deployment_.storeHttpsPort : deployment_.storeHttpPort);
    if (!target)
        return kNoConnection;

    // Exactly the one header the store expects. libcurl would add "Expect: 100-continue"
    // to larger bodies and "Accept: */*" to every request; empty values switch those off.
    // There is no cache in libcurl, so every request already goes to the server.
    HeaderList headers;
    for (const char* line : {"Content-Type: application/x-www-form-urlencoded", "Expect:", "Accept:"}) {
        curl_slist* grown = curl_slist_append(headers.get(), line);
        if (!grown)
            return kRequestNotCreated;
        (void)headers.release();
        headers.reset(grown);
    }

    CURL* h = easy.get();
    platform::applyCommonOptions(h, deployment_.caFile);
    ReplySink sink{easy.get(), &reply, &replyBytes, maxReplyBytes, false};
    IdleWatch idle{std::chrono::seconds(giveUpSeconds),
                   std::chrono::seconds(replyWaitSeconds > 0 ? replyWaitSeconds : giveUpSeconds)};
    BodyEnd bodyEnd;
    platform::TlsCloseWatch tlsClose;
    bool ok = curl_easy_setopt(h, CURLOPT_CURLU, target.get()) == CURLE_OK &&
              curl_easy_setopt(h, CURLOPT_USERAGENT, platform::kUserAgent) == CURLE_OK &&
              // The store speaks HTTP/1.1; keep the request line and headers as they are
              // rather than letting TLS negotiate HTTP/2.
              curl_easy_setopt(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1)) == CURLE_OK &&
              curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get()) == CURLE_OK &&
              curl_easy_setopt(h, CURLOPT_BUFFERSIZE, static_cast<long>(kReplyChunkBytes)) == CURLE_OK &&
              curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &appendChunk) == CURLE_OK &&
              curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink) == CURLE_OK &&
              // The platform client gives up on a peer that stops answering; without this
              // a server that accepts and then stays silent would hang the window forever.
              curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT,
                               static_cast<long>(std::min(giveUpSeconds, deployment_.storeConnectSeconds))) == CURLE_OK &&
              // A peer that keeps the idle watch quiet with a byte now and then still
              // cannot hold the window for longer than this.
              curl_easy_setopt(h, CURLOPT_TIMEOUT, static_cast<long>(deadlineSeconds)) == CURLE_OK &&
              curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L) == CURLE_OK &&
              curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &watchIdle) == CURLE_OK &&
              curl_easy_setopt(h, CURLOPT_XFERINFODATA, &idle) == CURLE_OK &&
              curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &readHeaderLine) == CURLE_OK &&
              curl_easy_setopt(h, CURLOPT_HEADERDATA, &bodyEnd) == CURLE_OK;
    if (ok && keepAliveProbes) {
        // First probe after 30 s of silence, then every 10 s: a store that is gone is
        // found within a few minutes however long the idle limit.
        ok = curl_easy_setopt(h, CURLOPT_TCP_KEEPALIVE, 1L) == CURLE_OK &&
             curl_easy_setopt(h, CURLOPT_TCP_KEEPIDLE, 30L) == CURLE_OK &&
             curl_easy_setopt(h, CURLOPT_TCP_KEEPINTVL, 10L) == CURLE_OK;
    }
    if (ok && isSecure) {
        // Without the watch (another TLS library) no close is seen: a reply without
        // length then fails, one with its length is still read whole.
        (void)platform::watchTlsClose(h, tlsClose);
        ok = curl_easy_setopt(h, CURLOPT_POST, 1L) == CURLE_OK &&
             curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size())) == CURLE_OK &&
             curl_easy_setopt(h, CURLOPT_POSTFIELDS, body.data()) == CURLE_OK;
    } else if (ok) {
        // Pictures and the notification may have moved: follow a few hops on the web.
        // Store scripts never follow, since their bodies carry the password.
        ok = curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L) == CURLE_OK &&
             curl_easy_setopt(h, CURLOPT_MAXREDIRS, kMaxRedirects) == CURLE_OK &&
             curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https") == CURLE_OK;
        if (ok && !body.empty()) {
            // The plain exchange keeps the default verb but still carries its body, on
            // every hop: libcurl would otherwise drop a body on a 301, 302 or 303.
            ok = curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, "GET") == CURLE_OK &&
                 curl_easy_setopt(h, CURLOPT_POSTREDIR, static_cast<long>(CURL_REDIR_POST_ALL)) == CURLE_OK &&
                 curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size())) == CURLE_OK &&
                 curl_easy_setopt(h, CURLOPT_POSTFIELDS, body.data()) == CURLE_OK;
        } else if (ok) {
            ok = curl_easy_setopt(h, CURLOPT_HTTPGET, 1L) == CURLE_OK;
        }
    }
    if (!ok)
        return kRequestNotCreated;

    // The outcome of the transfer is not a result of its own: a failed exchange is an
    // empty reply, which callers recognise. A reply that did not arrive whole (a time-out,
    // a reset, a cut TLS record, a TLS reply ended by the connection without
    // close_notify) is a failed one too: a piece of a catalog or a purchase list would
    // otherwise pass for all of it.
    const CURLcode outcome = curl_easy_perform(h);
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    // Reached once the connection stood (through a proxy: the tunnel and the store's
    // handshake in it); what failed after that was the store's doing, not the network's.
    curl_off_t connected = 0;
    curl_easy_getinfo(h, isSecure ? CURLINFO_APPCONNECT_TIME_T : CURLINFO_CONNECT_TIME_T, &connected);
    storeReached = outcome == CURLE_OK || connected > 0;
    curl_off_t uploaded = 0;
    curl_easy_getinfo(h, CURLINFO_SIZE_UPLOAD_T, &uploaded);
    requestSent = !body.empty() && uploaded >= static_cast<curl_off_t>(body.size());
    const bool endUnproved = isSecure && !bodyEnd.byLength && !bodyEnd.noBody && !tlsClose.closeNotifySeen;
    // 407 comes only from a proxy that wants credentials (a proxy for plain requests
    // answers in place of the store): the store was never reached.
    constexpr long kProxyAuthenticationRequired = 407;
    if (outcome != CURLE_OK || sink.tooLarge || endUnproved || status == kProxyAuthenticationRequired) {
        std::string().swap(reply);  // a failed exchange, and its memory given back
        replyBytes = 0;
    }
    hasReply = replyBytes != 0 ? 1 : 0;
    return kSent;
}

}  // namespace qk
