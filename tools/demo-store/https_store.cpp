#include "https_store.h"

#include "form.h"
#include "store_scripts.h"

#include <httplib.h>

#include <thread>

namespace qk::demo {

HttpsStore::HttpsStore(RequestLog& log, StoreContext& store) : log_(log), store_(store) {}

HttpsStore::~HttpsStore() { stop(); }

bool HttpsStore::start(const CertificateFiles& certificate, int port, std::string& error) {
    server_ = std::make_unique<httplib::SSLServer>(certificate.certificate.c_str(), certificate.privateKey.c_str());
    if (!server_->is_valid()) {
        error = "https: cannot load the certificate";
        return false;
    }
    const auto handle = [this](const httplib::Request& request, httplib::Response& response) {
        // Card data never reaches the log whole.
        LogEntry entry{"https", request.method, request.target, {}, maskCardData(request.body)};
        for (const auto& [name, value] : request.headers) {
            // The library adds these itself; they were not sent.
            if (name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" || name == "LOCAL_PORT") continue;
            entry.headers.emplace_back(name, value);
        }
        log_.append(entry);
        const std::size_t question = request.target.find('?');
        const std::string query = question == std::string::npos ? std::string() : request.target.substr(question + 1);
        // A slow store, when asked for: the request is acted on at once (a purchase is
        // charged and recorded) and its answer held back, as a slow payment gateway does.
        const ScriptReply reply = answerSecure(request.method, request.path, query, request.body, store_);
        std::this_thread::sleep_for(store_.controls.replyDelay(request.path));
        response.status = reply.status;
        response.set_content(reply.body, reply.contentType.c_str());
        if (!reply.location.empty()) response.set_header("Location", reply.location);
    };
    server_->Post(".*", handle);
    server_->Get(".*", handle);
    if (port == 0) {
        port_ = server_->bind_to_any_port("127.0.0.1");
    } else {
        port_ = server_->bind_to_port("127.0.0.1", port) ? port : -1;
    }
    if (port_ <= 0) {
        error = "https: cannot listen on 127.0.0.1:" + std::to_string(port);
        return false;
    }
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    return true;
}

void HttpsStore::stop() {
    if (server_) server_->stop();
    if (thread_.joinable()) thread_.join();
}

}  // namespace qk::demo
