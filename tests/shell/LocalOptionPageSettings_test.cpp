#include "shell/LocalOptionPageSettings.h"

#include <gtest/gtest.h>

#include "ProgramFolderFixture.h"
#include "shell/AppFolders.h"

namespace {

using Pages = CLocalOptionPageSettings;

std::string Visibility(CLocalOptionPageSettings& s) {
  std::string out;
  for (const char* key : {Pages::kDataSyncVisible, Pages::kNvrSyncVisible, Pages::kAIEventPublisherVisible,
                          Pages::kServerStatusVisible, Pages::kHTNvrSyncVisible, Pages::kAlarmOutVisible,
                          Pages::kVuzorMetroEvent})
    out += s.IsPageVisible(key) ? '1' : '0';
  return out;
}

class LocalOptionPageSettingsTest : public ProgramFolderFixture {};

TEST_F(LocalOptionPageSettingsTest, WithoutAFileEveryPageButTheMetroPageIsOffered) {
  CLocalOptionPageSettings pages;
  pages.SetAutoSave(false);
  EXPECT_FALSE(pages.Load(GetOptionPageSettingsFilePath()));
  EXPECT_EQ(Visibility(pages), "1111110");
  EXPECT_TRUE(pages.Save(GetOptionPageSettingsFilePath()));  // nothing held: nothing written
  EXPECT_FALSE(Exists(GetOptionPageSettingsFilePath()));
}

TEST_F(LocalOptionPageSettingsTest, WithAFileOnlyPagesWithANonZeroSwitchAreOffered) {
  const std::string file =
      "<Settings>"
      "<Setting><Category>0</Category><Name>NvrSyncVisible</Name><Value>1</Value></Setting>"
      "<Setting><Category>0</Category><Name>AlarmOutVisible</Name><Value>0</Value></Setting>"
      "<Setting><Category>0</Category><Name>VuzorMetroEvent</Name><Value>2</Value></Setting>"
      "</Settings>";
  ASSERT_TRUE(WriteTestFile(GetOptionPageSettingsFilePath(), file));
  {
    CLocalOptionPageSettings pages;
    pages.SetAutoSave(false);
    ASSERT_TRUE(pages.Load(GetOptionPageSettingsFilePath()));
    EXPECT_TRUE(pages.IsLoaded());
    EXPECT_EQ(Visibility(pages), "0100001");
  }
  EXPECT_EQ(ReadTestFile(GetOptionPageSettingsFilePath()), file);  // never written by the program
}

}  // namespace
