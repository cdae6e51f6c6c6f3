#pragma once
// What the store web server answers over plain HTTP: the notification request (a GET
// with a body), pictures, the lost-password page, and the control request of tests.

#include "pictures.h"
#include "plain_http_server.h"
#include "store_scripts.h"

#include <future>

namespace qk::demo {

// `pictures` becomes ready shortly after start-up; picture requests wait for it.
void servePlainSite(const HttpRequest& request, HttpResponse& response, const std::shared_future<Pictures>& pictures,
                    StoreContext& store);

}  // namespace qk::demo
