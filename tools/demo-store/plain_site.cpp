#include "plain_site.h"

#include "form.h"

#include <thread>

namespace qk::demo {
namespace {

void answer(HttpResponse& response, const ScriptReply& reply) {
    response.setText(reply.status, reply.body, reply.contentType);
    if (!reply.location.empty()) response.headers.emplace_back("Location", reply.location);
}

// "name=value" from the body, or from the query of a GET without body.
void control(const HttpRequest& request, HttpResponse& response, StoreControls& controls) {
    const std::string pair = request.body.empty() ? request.query : request.body;
    const std::size_t eq = pair.find('=');
    const std::string name = percentDecode(pair.substr(0, eq));
    const std::string value = eq == std::string::npos ? std::string() : percentDecode(pair.substr(eq + 1));
    if (controls.apply(name, value))
        response.setText(200, "ok\n");
    else
        response.setText(400, "unknown control: " + pair + "\n");
}

}  // namespace

void servePlainSite(const HttpRequest& request, HttpResponse& response, const std::shared_future<Pictures>& pictures,
                    StoreContext& store) {
    if (request.path == "/_control") {
        control(request, response, store.controls);
        return;
    }
    std::this_thread::sleep_for(store.controls.replyDelay(request.path));
    if (request.path.starts_with("/vendors/") || request.path == "/legacy.jpg") {
        if (const auto picture = pictures.get().find(request.path))
            response.setText(200, picture->bytes, picture->contentType);
        else
            answer(response, htmlPage(404, "Not Found", "<p>There is no such picture.</p>"));
    } else {
        answer(response, answerPlain(request.path, request.query, request.body, store));
    }
}

}  // namespace qk::demo
