#include "app/settings.h"

#include "platform/fixed_text.h"
#include "store/credentials.h"

namespace qk {

int readSetting(const SettingsStore& settings, std::string_view name, std::string& buffer)
{
    if (!settings.keyExists(kSettingsKey))
        return 0;
    const auto value = settings.readValue(kSettingsKey, name);
    if (!value)
        return 1;
    // The text a 255-byte buffer holds: cut at its size and at an embedded NUL.
    const FixedText<kSettingMaxBytes + 1> text(*value);
    if (!text.empty())
        buffer = text.str();
    return 1;
}

int writeSetting(SettingsStore& settings, std::string_view value, std::string_view name)
{
    if (!settings.keyExists(kSettingsKey) && !settings.createKey(kSettingsKey))
        return 0;
    return settings.writeValue(kSettingsKey, name, value) ? 1 : -1;
}

std::string readDownloadBase(const SettingsStore& settings, const Deployment& deployment)
{
    std::string base;
    readSetting(settings, kFolderPathSetting, base);
    if (base.empty())
        base = deployment.appDataDir.string();
    return base;
}

}  // namespace qk
