#include "platform/setting_text.h"

#include "platform/fixed_text.h"
#include "platform/text_encoding.h"

namespace qk {

std::string settingText(std::string_view stored)
{
    return FixedText<kSettingMaxBytes + 1>(stored).str();
}

std::string downloadBaseOf(const std::optional<std::string>& stored, std::string_view fallback)
{
    std::string base = stored ? settingText(*stored) : std::string();
    if (base.size() == kSettingMaxBytes) {
        // The path is the file system's UTF-8: half a character would name no folder at
        // all and show as "?" in the panel.
        base.resize(platform::utf8CutPoint(*stored, base.size()));
    }
    if (base.empty())
        base = fallback;
    return base;
}

}  // namespace qk
