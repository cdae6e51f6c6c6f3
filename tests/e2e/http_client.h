#pragma once
// A small libcurl client for tests that talk to the demo store directly.

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <string>
#include <vector>

namespace qk::test::http {

struct Reply {
    CURLcode code = CURLE_OK;
    long status = 0;
    std::map<std::string, std::string> headers;  // names lower-cased
    std::string body;
    bool has(const std::string& name) const { return headers.count(name) > 0; }
};

struct Request {
    std::string url{};
    std::vector<std::string> headers{};
    const std::string* body = nullptr;  // sent as the body, also with GET
    bool get = false;                   // GET even with a body
    std::string caFile{};
};

inline size_t collectBody(char* data, size_t size, size_t count, void* out) {
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

inline size_t collectHeader(char* data, size_t size, size_t count, void* out) {
    std::string line(data, size * count);
    const std::size_t colon = line.find(':');
    if (colon != std::string::npos) {
        std::string name = line.substr(0, colon);
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
        std::string value = line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(' '));
        value.erase(value.find_last_not_of("\r\n") + 1);
        (*static_cast<std::map<std::string, std::string>*>(out))[name] = value;
    }
    return size * count;
}

inline Reply perform(const Request& request) {
    Reply reply;
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 30L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collectBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply.body);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, collectHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &reply.headers);
    if (!request.caFile.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, request.caFile.c_str());
    curl_slist* headers = curl_slist_append(nullptr, "Expect:");
    for (const std::string& h : request.headers) headers = curl_slist_append(headers, h.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    if (request.body != nullptr) {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(request.body->size()));
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.body->data());
        if (request.get) curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, "GET");
    }
    reply.code = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &reply.status);
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return reply;
}

inline std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1)
        parts.push_back(text.substr(start, at - start));
    parts.push_back(text.substr(start));
    return parts;
}

}  // namespace qk::test::http
