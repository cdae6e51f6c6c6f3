#pragma once
// Picking requests out of the demo store's log: those on one server, to one target, or
// whose target or body starts with a prefix, in the order they arrived.

#include <string>
#include <string_view>
#include <vector>

#include "support/demo_store.h"

namespace qk::test {

// What a request must match; an empty field matches anything.
struct RequestMatch {
    std::string_view server = {};        // "https", "http", "file1", "file2"
    std::string_view target = {};        // the whole path with query
    std::string_view targetPrefix = {};  // the start of it
    std::string_view bodyPrefix = {};    // the start of the request's body
};

std::vector<LoggedRequest> requestsMatching(const DemoStore& store, const RequestMatch& match);

// The bodies of the requests, in the same order.
std::vector<std::string> bodiesOf(const std::vector<LoggedRequest>& requests);

}  // namespace qk::test
