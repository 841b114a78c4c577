#include <errno.h>
#include <gtest/gtest.h>

#include "platform/AtomicFile.h"
#include "platform/Folders.h"
#include "support/TempDir.h"

namespace {

size_t CountFolderEntries(const std::string& folder) {
  return platform::ListFolder(folder).size();
}

TEST(CopyFileNoReplace, CopiesTheWholeFile) {
  TempDir dir;
  std::string bytes("<xml>\0\xff</xml>", 13);
  ASSERT_TRUE(WriteTestFile(dir.Join("Default.xml"), bytes));
  int err = 0;
  ASSERT_TRUE(platform::CopyFileNoReplace(dir.Join("Default.xml"), dir.Join("Settings.xml"), &err));
  EXPECT_EQ(ReadTestFile(dir.Join("Settings.xml")), bytes);
  EXPECT_EQ(CountFolderEntries(dir.path()), 2u);
}

TEST(CopyFileNoReplace, NeverOverwritesAndLeavesNoTemporary) {
  TempDir dir;
  ASSERT_TRUE(WriteTestFile(dir.Join("Default.xml"), "default"));
  ASSERT_TRUE(WriteTestFile(dir.Join("Settings.xml"), "edited by the user"));
  int err = 0;
  EXPECT_FALSE(platform::CopyFileNoReplace(dir.Join("Default.xml"), dir.Join("Settings.xml"), &err));
  EXPECT_EQ(err, EEXIST);
  EXPECT_EQ(ReadTestFile(dir.Join("Settings.xml")), "edited by the user");
  EXPECT_EQ(CountFolderEntries(dir.path()), 2u);
}

TEST(CopyFileNoReplace, ReportsMissingSourceAndTargetFolder) {
  TempDir dir;
  int err = 0;
  EXPECT_FALSE(platform::CopyFileNoReplace(dir.Join("missing.xml"), dir.Join("Settings.xml"), &err));
  EXPECT_EQ(err, ENOENT);
  ASSERT_TRUE(WriteTestFile(dir.Join("Default.xml"), "default"));
  EXPECT_FALSE(platform::CopyFileNoReplace(dir.Join("Default.xml"), dir.Join("no/Settings.xml"), &err));
  EXPECT_EQ(err, ENOENT);
  EXPECT_EQ(CountFolderEntries(dir.path()), 1u);
}

}  // namespace
