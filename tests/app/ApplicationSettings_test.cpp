// The start-up steps of the settings files, in a temporary program folder.
#include "shell/ApplicationSettings.h"

#include <gtest/gtest.h>

#include "foundation/IDCreater.h"
#include "platform/Folders.h"
#include "shell/ProgramFolderFixture.h"
#include "shell/AppFolders.h"
#include "shell/HiddenSettings.h"
#include "app/TorvaneGateManagerApp.h"

namespace {

class ApplicationSettingsTest : public ProgramFolderFixture {};

TEST_F(ApplicationSettingsTest, StartUpStepsFillTheSettingsFromTheFiles) {
  ASSERT_TRUE(WriteTestFile(GetAppSettingsFilePath(),
                            "<Settings>"
                            "<Setting><Category>0</Category><Name>UILanguage</Name><Value>Korean</Value></Setting>"
                            "<Setting><Category>1</Category><Name>DataSyncItems</Name>"
                            "<Value>[{&quot;ID&quot;:&quot;21&quot;}]</Value></Setting>"
                            "<Setting><Category>1</Category><Name>AIEventPubItems</Name>"
                            "<Value>[{&quot;ID&quot;:&quot;34&quot;}]</Value></Setting>"
                            "</Settings>"));
  CApplicationSettings settings;
  settings.LoadHiddenSettings();
  EXPECT_TRUE(Exists(GetHiddenSettingsFilePath()));
  EXPECT_EQ(settings.GetDebugUseLogFile(), 0);
  EXPECT_EQ(Hidden_GetEventServerHttpPort(settings.GetHiddenSettings()), 85);
  settings.LoadAppSettings(GetAppSettingsFilePath());
  EXPECT_EQ(settings.GetUILanguage(), "Korean");
  EXPECT_EQ(settings.GetMaxItemID(), 34);
  EXPECT_EQ(settings.GetAppSettings().Option_GetDataSyncItems().GetItems().size(), 1u);
}

TEST_F(ApplicationSettingsTest, WithoutFilesStartUpRunsOnDefaults) {
  CApplicationSettings settings;
  settings.LoadHiddenSettings();
  settings.LoadAppSettings(GetAppSettingsFilePath());
  EXPECT_EQ(settings.GetUILanguage(), "Auto");
  EXPECT_EQ(settings.GetMaxItemID(), 0);
  EXPECT_EQ(settings.GetAppSettings().GetDatabaseName(), "torvane");
}

// A file cut short (a full disk, a hand edit gone wrong) gives no values:
// the program starts from the defaults and the set-aside copy keeps the text.
TEST_F(ApplicationSettingsTest, TruncatedSettingsStartFromTheDefaults) {
  const std::string truncated =
      "<Settings><Setting><Category>0</Category><Name>DatabaseName</Name><Value>site_db</Value></Setting>"
      "<Setting><Category>1</Category><Name>DataSyncItems</Name><Value>[{&quot;ID&quot;:&quot;2";
  ASSERT_TRUE(WriteTestFile(GetAppSettingsFilePath(), truncated));
  CApplicationSettings settings;
  settings.LoadAppSettings(GetAppSettingsFilePath());
  EXPECT_EQ(settings.GetAppSettings().GetDatabaseName(), "torvane");
  EXPECT_EQ(settings.GetMaxItemID(), 0);
  std::string path;
  EXPECT_TRUE(settings.SaveAppSettings(&path));
  EXPECT_EQ(path, GetAppSettingsFilePath());
  EXPECT_EQ(ReadTestFile(path).find("site_db"), std::string::npos) << "nothing of the cut file is written back";
  std::vector<std::string> aside;
  for (const auto& entry : platform::ListFolder(InFolder("Settings"))) {
    if (entry.name.rfind("AppSettings.xml.unreadable-", 0) == 0) aside.push_back(entry.name);
  }
  ASSERT_EQ(aside.size(), 1u);
  EXPECT_EQ(ReadTestFile(InFolder("Settings/" + aside[0])), truncated);
}

TEST_F(ApplicationSettingsTest, ProgramStartUpNumbersNewJobsAboveEveryStoredOne) {
  ASSERT_TRUE(WriteTestFile(GetAppSettingsDefaultFilePath(),
                            "<Settings><Setting><Category>1</Category><Name>DMEventReceiverItems</Name>"
                            "<Value>[{&quot;ID&quot;:&quot;41&quot;, &quot;Port&quot;:&quot;10002&quot;}]</Value>"
                            "</Setting></Settings>"));
  CApplicationSettings settings;
  CTorvaneGateManagerApp app;
  app.SetStartupServices(&settings);
  const char* argv[] = {"TorvaneGateManager"};
  ASSERT_EQ(app.InitInstance(1, argv), CTorvaneGateManagerApp::StartResult::kRunMainWindow);
  EXPECT_TRUE(Exists(GetHiddenSettingsFilePath()));
  EXPECT_EQ(ReadTestFile(GetAppSettingsFilePath()), ReadTestFile(GetAppSettingsDefaultFilePath()));
  EXPECT_EQ(settings.GetAppSettings().Option_GetVuzorMetroEventReceiverItems().GetItems().size(), 1u);
  EXPECT_EQ(CIDCreater::GetInstance()->NextID("GATEMANAGER_ID"), 42);
}

}  // namespace
