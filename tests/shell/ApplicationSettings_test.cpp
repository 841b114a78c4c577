// The start-up steps of the settings files, in a temporary program folder.
#include "shell/ApplicationSettings.h"

#include <gtest/gtest.h>

#include "foundation/IDCreater.h"
#include "ProgramFolderFixture.h"
#include "shell/AppFolders.h"
#include "shell/HiddenSettings.h"
#include "shell/TorvaneGateManagerApp.h"

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
