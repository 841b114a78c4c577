#include "platform/ProgramFolder.h"

#include <gtest/gtest.h>

namespace {

TEST(ProgramFolder, IsTheFolderOfTheRunningExecutable) {
  std::string path = platform::GetProgramPath();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path, platform::GetProgramFolder() + "/" + platform::GetProgramFileName());
  EXPECT_EQ(platform::GetProgramFileName(), "platform_tests");
}

TEST(ProgramFolder, RelativePathsJoinTheProgramFolder) {
  platform::SetProgramFolderOverride("/opt/gate/");
  EXPECT_EQ(platform::GetProgramFolder(), "/opt/gate");
  EXPECT_EQ(platform::ProgramPath("Settings/AppSettings.xml"), "/opt/gate/Settings/AppSettings.xml");
  EXPECT_EQ(platform::ProgramPath("/abs/file"), "/abs/file");
  platform::SetProgramFolderOverride("");
  EXPECT_EQ(platform::ProgramPath("Log"), platform::GetProgramFolder() + "/Log");
}

}  // namespace
