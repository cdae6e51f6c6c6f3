#include "app/settings.h"

#include "platform/fixed_text.h"
#include "platform/text_encoding.h"
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

bool settingReadsBackWhole(std::string_view value)
{
    return value.size() <= kSettingMaxBytes && value.find('\0') == std::string_view::npos;
}

std::string readDownloadBase(const SettingsStore& settings, const Deployment& deployment)
{
    std::string base;
    readSetting(settings, kFolderPathSetting, base);
    if (base.size() == kSettingMaxBytes) {
        // The path is the file system's UTF-8: half a character would name no folder at
        // all and show as "?" in the panel.
        if (const auto stored = settings.readValue(kSettingsKey, kFolderPathSetting))
            base.resize(platform::utf8CutPoint(*stored, base.size()));
    }
    if (base.empty())
        base = deployment.appDataDir.string();
    return base;
}

}  // namespace qk
