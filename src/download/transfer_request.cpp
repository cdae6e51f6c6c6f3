#include "download/transfer_request.h"

#include "download/engine_texts.h"
#include "download/file_id.h"
#include "download/transfer.h"
#include "platform/curl_global.h"

#include <charconv>

namespace qk::download {
namespace {

constexpr long kMaxRedirects = 5;

struct CurlUrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using CurlUrl = std::unique_ptr<CURLU, CurlUrlDeleter>;

}  // namespace

std::string couldNotConnect(long code)
{
    std::string text = std::to_string(code);
    text.append(kCouldNotConnectHostName);
    return text;
}

bool splitsIntoHostAndPath(const std::string& url)
{
    CurlUrl parsed(curl_url());
    if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK)
        return false;
    char* host = nullptr;
    if (curl_url_get(parsed.get(), CURLUPART_HOST, &host, 0) != CURLUE_OK || !host)
        return false;
    const bool usable = host[0] != '\0' && std::char_traits<char>::length(host) <= 255;
    curl_free(host);
    return usable;
}

CurlList rangeRequestHeaders(std::uint64_t offset, const std::string& ifRange)
{
    // An open range from the end of the local file, never answered from a cache.
    char range[48] = "Range: bytes=";
    char* end = std::to_chars(range + 13, range + sizeof range - 2, offset).ptr;
    *end++ = '-';
    *end = '\0';
    const std::string ifRangeLine = ifRange.empty() ? std::string() : "If-Range: " + ifRange;
    CurlList headers;
    for (const char* line : {static_cast<const char*>(range), ifRangeLine.empty() ? nullptr : ifRangeLine.c_str(),
                             "Cache-Control: no-cache", "Pragma: no-cache", "Accept:"}) {
        if (!line)
            continue;
        curl_slist* grown = curl_slist_append(headers.get(), line);
        if (!grown)
            return nullptr;
        headers.release();
        headers.reset(grown);
    }
    return headers;
}

void applyTransferOptions(CURL* h, const DownloadJob& job, curl_slist* headers)
{
    platform::applyCommonOptions(h, job.caFile);
    curl_easy_setopt(h, CURLOPT_URL, job.sourceUrl.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    // A file server may hand the file on to another: a few hops, never off the web,
    // and never from HTTPS down to plain HTTP.
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, redirectProtocolsFor(job.sourceUrl.str()));
    curl_easy_setopt(h, CURLOPT_USERAGENT, platform::kUserAgent);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    // A proxy's answer to CONNECT is not the file server's reply: the header scan must
    // not take "200 Connection established" for a reply without length.
    curl_easy_setopt(h, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(h, CURLOPT_BUFFERSIZE, static_cast<long>(kReceiveBufferSize));
    // The receive time-out: no connection, or no byte either way, for this long ends the
    // transfer (the latter in onProgress: libcurl's low-speed check averages over
    // several seconds and so fired seconds late).
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, job.receiveTimeoutSeconds);
}

}  // namespace qk::download
