#pragma once
// The libcurl side of one file request: the handles, the address check, the request
// headers (an open range, If-Range, no cache) and the options every transfer uses.

#include "download/download_job.h"

#include <curl/curl.h>

#include <cstdint>
#include <memory>
#include <string>

namespace qk::download {

struct CurlEasyDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct CurlListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyDeleter>;
using CurlList = std::unique_ptr<curl_slist, CurlListDeleter>;

// The text of a connection that could not be made: the failure's code, then the message.
std::string couldNotConnect(long code);

// The host and path must be there before anything goes on the wire; a URL that
// cannot be split that way is refused.
bool splitsIntoHostAndPath(const std::string& url);

// "Range: bytes=<offset>-", "If-Range: <ifRange>" unless empty, and the lines that keep
// caches out. Null when the list could not be built.
CurlList rangeRequestHeaders(std::uint64_t offset, const std::string& ifRange);

// The options of a file request for the job: its URL, redirects, agent, headers, the
// connect time-out and the receive buffer. Callbacks are the caller's.
void applyTransferOptions(CURL* handle, const DownloadJob& job, curl_slist* headers);

}  // namespace qk::download
