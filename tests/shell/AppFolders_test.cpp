#include "shell/AppFolders.h"

#include <gtest/gtest.h>

#include "platform/ProgramFolder.h"

namespace {

TEST(CombinePath, JoinsWithExactlyOneSlashAtTheSeam) {
  struct Case {
    const char* folder;
    const char* name;
    const char* joined;
  };
  const Case cases[] = {
      {"", "Data", "Data"},
      {"/opt/gate", "Settings", "/opt/gate/Settings"},
      {"/opt/gate/", "Settings", "/opt/gate/Settings"},
      {"/", "Settings", "/Settings"},
      {"Settings", "Hidden.xml", "Settings/Hidden.xml"},
  };
  for (const Case& c : cases) EXPECT_EQ(CombinePath(c.folder, c.name), c.joined) << c.folder;
}

TEST(AppFolders, PathsLieUnderTheProgramFolder) {
  struct Case {
    std::string (*function)();
    const char* underGate;
    const char* underRoot;
  };
  const Case cases[] = {
      {GetSettingsFolderPath, "/opt/gate/Settings", "/Settings"},
      {GetLogFolderPath, "/opt/gate/Log", "/Log"},
      {GetLanguageFolderPath, "/opt/gate/Language", "/Language"},
      {GetDataFolderPath, "/opt/gate/Data", "/Data"},
      {GetAppSettingsFilePath, "/opt/gate/Settings/AppSettings.xml", "/Settings/AppSettings.xml"},
      {GetAppSettingsDefaultFilePath, "/opt/gate/Settings/AppSettings_Default.xml",
       "/Settings/AppSettings_Default.xml"},
      {GetDeviceUserFieldsFilePath, "/opt/gate/Settings/DeviceUserFields.xml", "/Settings/DeviceUserFields.xml"},
      {GetDeviceUserFieldsDefaultFilePath, "/opt/gate/Settings/DeviceUserFields_Default.xml",
       "/Settings/DeviceUserFields_Default.xml"},
      {GetHiddenSettingsFilePath, "/opt/gate/Settings/Hidden.xml", "/Settings/Hidden.xml"},
      {GetOptionPageSettingsFilePath, "/opt/gate/Settings/OptionPageSettings.xml",
       "/Settings/OptionPageSettings.xml"},
      {GetWatchdogFilePath, "/opt/gate/Watchdog", "/Watchdog"},
  };
  platform::SetProgramFolderOverride("/opt/gate/");
  EXPECT_EQ(GetAppFolder(), "/opt/gate");
  for (const Case& c : cases) EXPECT_EQ(c.function(), c.underGate);
  platform::SetProgramFolderOverride("/");  // the root keeps its slash: no doubled one
  for (const Case& c : cases) EXPECT_EQ(c.function(), c.underRoot);
  platform::SetProgramFolderOverride("");
  EXPECT_EQ(GetSettingsFolderPath(), CombinePath(platform::GetProgramFolder(), "Settings"));
}

}  // namespace
