#include "platform/deployment.h"

#include "platform/quit_request.h"

#include <cstdlib>

#ifndef QK_STORE_HOST
#define QK_STORE_HOST "localhost"
#endif
#ifndef QK_FILE_HOST_PRIMARY
#define QK_FILE_HOST_PRIMARY "localhost"
#endif
#ifndef QK_FILE_HOST_SECONDARY
#define QK_FILE_HOST_SECONDARY "localhost"
#endif

namespace qk {
namespace {

std::string envOr(const char* name, std::string fallback)
{
    const char* value = std::getenv(name);
    return (value && *value) ? std::string(value) : std::move(fallback);
}

int portOr(const char* name, int fallback)
{
    const char* value = std::getenv(name);
    if (!value || !*value)
        return fallback;
    char* end = nullptr;
    const long port = std::strtol(value, &end, 10);
    if (*end != '\0' || port < 1 || port > 65535)
        return fallback;
    return static_cast<int>(port);
}

std::filesystem::path homeDir()
{
    const char* home = std::getenv("HOME");
    return (home && *home) ? std::filesystem::path(home) : std::filesystem::path("/tmp");
}

std::filesystem::path xdgDir(const char* variable, const char* fallbackBelowHome)
{
    const char* value = std::getenv(variable);
    if (value && *value && std::filesystem::path(value).is_absolute())
        return value;
    return homeDir() / fallbackBelowHome;
}

}  // namespace

Deployment Deployment::fromEnvironment()
{
    Deployment d;
    d.storeHost = envOr("QKAGENT_STORE_HOST", QK_STORE_HOST);
    d.storeHttpsPort = portOr("QKAGENT_STORE_HTTPS_PORT", 443);
    d.storeHttpPort = portOr("QKAGENT_STORE_HTTP_PORT", 80);
    d.filePrimary = envOr("QKAGENT_FILE_HOST_PRIMARY", QK_FILE_HOST_PRIMARY);
    d.fileSecondary = envOr("QKAGENT_FILE_HOST_SECONDARY", QK_FILE_HOST_SECONDARY);
    d.caFile = envOr("QKAGENT_CA_FILE", "");
    const std::string settings = envOr("QKAGENT_SETTINGS_DIR", "");
    d.settingsDir = settings.empty() ? xdgDir("XDG_CONFIG_HOME", ".config") / "varnel-qk-agent"
                                     : std::filesystem::path(settings);
    d.appDataDir = xdgDir("XDG_DATA_HOME", ".local/share");
    return d;
}

std::string Deployment::storeUrl(std::string_view path) const
{
    return "https://" + storeHost + std::string(path);
}

std::string Deployment::storePageUrl(std::string_view path) const
{
    const std::string port = storeHttpsPort == 443 ? "" : ":" + std::to_string(storeHttpsPort);
    return "https://" + storeHost + port + std::string(path);
}

std::string Deployment::storePlainPageUrl(std::string_view path) const
{
    const std::string port = storeHttpPort == 80 ? "" : ":" + std::to_string(storeHttpPort);
    return "http://" + storeHost + port + std::string(path);
}

bool Deployment::quitAsked() const
{
    return quit != nullptr && quit->asked();
}

}  // namespace qk
