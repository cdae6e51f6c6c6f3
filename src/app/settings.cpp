#include "app/settings.h"

#include "store/credentials.h"

namespace qk {

int readSetting(const SettingsStore& settings, std::string_view name, std::string& buffer)
{
    if (!settings.keyExists(kSettingsKey))
        return 0;
    const auto value = settings.readValue(kSettingsKey, name);
    if (!value)
        return 1;
    std::string text = settingText(*value);
    if (!text.empty())
        buffer = std::move(text);
    return 1;
}

int writeSetting(SettingsStore& settings, std::string_view value, std::string_view name)
{
    if (!settings.keyExists(kSettingsKey) && !settings.createKey(kSettingsKey))
        return 0;
    return settings.writeValue(kSettingsKey, name, value) ? 1 : -1;
}

bool settingReadsBackWhole(std::string_view value)
{
    return value.size() <= kSettingMaxBytes && value.find('\0') == std::string_view::npos;
}

std::string readDownloadBase(const SettingsStore& settings, const Deployment& deployment)
{
    return downloadBaseOf(settings.readValue(kSettingsKey, kFolderPathSetting), deployment.appDataDir.string());
}

}  // namespace qk
