#pragma once
// Sets the proxy variables of the environment for one test and puts the previous ones
// back afterwards. Starts from none set, whatever the machine running the tests uses.

#include <cstdlib>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qk::test {

class ProxyEnvironment {
public:
    static constexpr const char* kNames[] = {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY",
                                             "all_proxy",  "ALL_PROXY",  "no_proxy",    "NO_PROXY"};

    ProxyEnvironment()
    {
        for (const char* name : kNames) {
            const char* value = std::getenv(name);
            saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
            ::unsetenv(name);
        }
    }
    ~ProxyEnvironment()
    {
        for (const auto& [name, value] : saved_) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    }
    ProxyEnvironment(const ProxyEnvironment&) = delete;
    ProxyEnvironment& operator=(const ProxyEnvironment&) = delete;

    // Only these variables set, every other proxy variable unset.
    void use(std::initializer_list<std::pair<const char*, std::string>> variables)
    {
        for (const char* name : kNames)
            ::unsetenv(name);
        for (const auto& [name, value] : variables)
            ::setenv(name, value.c_str(), 1);
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace qk::test
