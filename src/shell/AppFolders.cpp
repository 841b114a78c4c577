#include "shell/AppFolders.h"

#include "platform/ProgramFolder.h"

namespace {

std::string InSettingsFolder(const char* name) { return CombinePath(GetSettingsFolderPath(), name); }

}  // namespace

std::string GetAppFolder() { return platform::GetProgramFolder(); }

std::string CombinePath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

std::string GetSettingsFolderPath() { return CombinePath(GetAppFolder(), "Settings"); }
std::string GetLogFolderPath() { return CombinePath(GetAppFolder(), "Log"); }
std::string GetLanguageFolderPath() { return CombinePath(GetAppFolder(), "Language"); }
std::string GetDataFolderPath() { return CombinePath(GetAppFolder(), "Data"); }

std::string GetAppSettingsFilePath() { return InSettingsFolder("AppSettings.xml"); }
std::string GetAppSettingsDefaultFilePath() { return InSettingsFolder("AppSettings_Default.xml"); }
std::string GetDeviceUserFieldsFilePath() { return InSettingsFolder("DeviceUserFields.xml"); }
std::string GetDeviceUserFieldsDefaultFilePath() { return InSettingsFolder("DeviceUserFields_Default.xml"); }
std::string GetHiddenSettingsFilePath() { return InSettingsFolder("Hidden.xml"); }
std::string GetOptionPageSettingsFilePath() { return InSettingsFolder("OptionPageSettings.xml"); }
std::string GetWatchdogFilePath() { return CombinePath(GetAppFolder(), "Watchdog"); }
