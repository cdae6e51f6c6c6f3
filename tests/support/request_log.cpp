#include "support/request_log.h"

namespace qk::test {

std::vector<LoggedRequest> requestsMatching(const DemoStore& store, const RequestMatch& match)
{
    std::vector<LoggedRequest> found;
    for (auto& request : store.requests()) {
        if ((match.server.empty() || request.server == match.server) &&
            (match.target.empty() || request.target == match.target) &&
            request.target.starts_with(match.targetPrefix) && request.body.starts_with(match.bodyPrefix))
            found.push_back(std::move(request));
    }
    return found;
}

std::vector<std::string> bodiesOf(const std::vector<LoggedRequest>& requests)
{
    std::vector<std::string> bodies;
    for (const auto& request : requests)
        bodies.push_back(request.body);
    return bodies;
}

}  // namespace qk::test
