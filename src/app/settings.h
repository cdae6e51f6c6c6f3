#pragma once
// The agent's settings (text values under its settings key) and the download folders.

#include <filesystem>
#include <string>
#include <string_view>

#include "download/download_folder.h"
#include "platform/deployment.h"
#include "platform/setting_text.h"
#include "platform/settings_store.h"

namespace qk {

inline constexpr std::string_view kFolderPathSetting = "FolderPath";

// 0 when the settings key cannot be opened, else 1. Reads at most 255 bytes and copies
// them into `buffer` only when the value is present and not empty, so the buffer keeps
// its prior content otherwise.
int readSetting(const SettingsStore& settings, std::string_view name, std::string& buffer);

// 1 written; -1 the value could not be set; 0 the key could neither be opened nor created.
int writeSetting(SettingsStore& settings, std::string_view value, std::string_view name);

// Whether readSetting gives `value` back as written: at most 255 bytes, no NUL byte. A
// value that fails this must be refused before writing, or it comes back cut.
bool settingReadsBackWhole(std::string_view value);

// "FolderPath" when present and not empty, else the roaming application-data folder.
// A path stored longer than the setting reads (by an earlier version, or by hand) comes
// back cut before any character the cut would split.
std::string readDownloadBase(const SettingsStore& settings, const Deployment& deployment);

}  // namespace qk
