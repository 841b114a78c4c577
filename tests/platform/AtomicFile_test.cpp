#include "platform/AtomicFile.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/TempDir.h"

namespace {

int CountEntries(const std::string& folder) {
  int n = 0;
  DIR* dir = opendir(folder.c_str());
  while (dirent* e = readdir(dir)) {
    std::string name = e->d_name;
    if (name != "." && name != "..") ++n;
  }
  closedir(dir);
  return n;
}

TEST(AtomicFile, ReplacesWholeFileAndLeavesNoTemporary) {
  TempDir dir;
  std::string path = dir.Join("AppSettings.xml");
  ASSERT_TRUE(platform::WriteFileAtomically(path, "old content that is longer"));
  ASSERT_TRUE(platform::WriteFileAtomically(path, std::string("new\0bytes", 9)));
  std::string read;
  ASSERT_TRUE(platform::ReadWholeFile(path, &read));
  EXPECT_EQ(read, std::string("new\0bytes", 9));
  EXPECT_EQ(CountEntries(dir.path()), 1);
}

TEST(AtomicFile, FailureKeepsOldFileAndReportsReason) {
  TempDir dir;
  std::string path = dir.Join("Status.dat");
  ASSERT_TRUE(platform::WriteFileAtomically(path, "keep me"));
  // A folder in place of the temporary's target makes the rename fail.
  std::string blocked = dir.Join("sub");
  ASSERT_EQ(mkdir(blocked.c_str(), 0755), 0);
  ASSERT_EQ(mkdir((blocked + "/x").c_str(), 0755), 0);
  std::string error;
  EXPECT_FALSE(platform::WriteFileAtomically(blocked, "data", &error));
  EXPECT_NE(error.find("rename"), std::string::npos) << error;
  EXPECT_FALSE(platform::WriteFileAtomically(dir.Join("missing/file"), "data", &error));
  std::string read;
  ASSERT_TRUE(platform::ReadWholeFile(path, &read));
  EXPECT_EQ(read, "keep me");
  EXPECT_EQ(CountEntries(dir.path()), 2);  // Status.dat and sub, no temporaries
}

TEST(AtomicFile, ReadMissingFileFails) {
  std::string bytes = "untouched";
  EXPECT_FALSE(platform::ReadWholeFile("/nonexistent/file", &bytes));
  EXPECT_EQ(bytes, "untouched");
}

}  // namespace
