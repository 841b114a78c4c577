#include "foundation/FileUtil.h"

#include <sys/stat.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace {

TEST(FileUtilTest, ReadWholeFileStopsAtTheFirstZeroByte) {
  TempDir dir;
  ASSERT_TRUE(WriteTestFile(dir.Join("zero"), std::string("ab\0cd", 5)));
  std::string text = "old";
  EXPECT_TRUE(ReadWholeFile(dir.Join("zero"), &text));
  EXPECT_EQ(text, "ab");
  EXPECT_EQ(GetFileLength(dir.Join("zero")), 5);

  ASSERT_TRUE(WriteTestFile(dir.Join("empty"), ""));
  text = "old";
  EXPECT_FALSE(ReadWholeFile(dir.Join("empty"), &text));  // an empty file is a failure
  EXPECT_FALSE(ReadWholeFile(dir.Join("missing"), &text));
  EXPECT_FALSE(ReadWholeFile(dir.path(), &text));  // a folder
  EXPECT_EQ(text, "old");
  EXPECT_EQ(GetFileLength(dir.Join("missing")), -1);
  EXPECT_EQ(GetFileLength(dir.Join("empty")), 0);

  char buffer[8];
  EXPECT_TRUE(ReadFileBytes(dir.Join("zero"), buffer, 4));
  EXPECT_EQ(std::string(buffer, 4), std::string("ab\0c", 4));
  EXPECT_FALSE(ReadFileBytes(dir.Join("zero"), buffer, 6));  // not that many bytes
}

TEST(FileUtilTest, CreateDirectoryPathCreatesEveryLevel) {
  TempDir dir;
  EXPECT_TRUE(CreateDirectoryPath(dir.Join("a/b/c")));
  struct stat st;
  EXPECT_EQ(stat(dir.Join("a/b/c").c_str(), &st), 0);
  EXPECT_TRUE(CreateDirectoryPath(dir.Join("a/b/c")));   // already there
  EXPECT_TRUE(CreateDirectoryPath(dir.Join("a/b/d/")));  // trailing slash
  ASSERT_TRUE(WriteTestFile(dir.Join("file"), "x"));
  EXPECT_FALSE(CreateDirectoryPath(dir.Join("file/sub")));  // a file in the way
}

class FolderWalkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // root: b.dmp, a.dmp, c.txt, old.dmp/ (x.dmp), logs/ (y.dmp), link -> root
    ASSERT_TRUE(CreateDirectoryPath(dir_.Join("root/old.dmp")));
    ASSERT_TRUE(CreateDirectoryPath(dir_.Join("root/logs")));
    for (const char* name : {"root/b.dmp", "root/a.dmp", "root/c.txt", "root/old.dmp/x.dmp", "root/logs/y.dmp"}) {
      ASSERT_TRUE(WriteTestFile(dir_.Join(name), "x"));
    }
    ASSERT_EQ(symlink(dir_.Join("root").c_str(), dir_.Join("root/link.dmp").c_str()), 0);
  }
  std::string Root() const { return dir_.Join("root"); }

  TempDir dir_;
};

TEST_F(FolderWalkTest, WalksMatchingEntriesInNameOrderAndEntersOnlyMatchingFolders) {
  std::vector<std::string> seen;
  auto record = [&](const std::string& path, const std::string& name, int kind, void*) {
    seen.push_back(name + (kind == kWalkFolder ? "/" : "") + "@" + path.substr(Root().size()));
    return 1;
  };
  EXPECT_EQ(WalkFolder(Root(), record, nullptr, "*.dmp", true), 1);
  // logs/ does not match: not entered. The link is a file, never followed.
  EXPECT_EQ(seen, (std::vector<std::string>{"a.dmp@/a.dmp", "b.dmp@/b.dmp", "link.dmp@/link.dmp",
                                            "x.dmp@/old.dmp/x.dmp", "old.dmp/@/old.dmp"}));
}

TEST_F(FolderWalkTest, CallbackReturningZeroStopsTheWalk) {
  int calls = 0;
  auto stop_at_second = [&](const std::string&, const std::string&, int, void*) { return ++calls == 2 ? 0 : 1; };
  EXPECT_EQ(WalkFolder(Root(), stop_at_second, nullptr, "*", false), 0);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(WalkFolder(dir_.Join("missing"), stop_at_second, nullptr, "*", false), 1);
}

TEST_F(FolderWalkTest, WalkMakesEntriesWritable) {
  ASSERT_EQ(chmod(dir_.Join("root/c.txt").c_str(), 0444), 0);
  std::vector<std::string> files;
  EXPECT_EQ(WalkFolder(Root(), AddFileToList, &files, "*.txt", false), 1);
  EXPECT_EQ(files, std::vector<std::string>{Root() + "/c.txt"});
  struct stat st;
  ASSERT_EQ(stat(files[0].c_str(), &st), 0);
  EXPECT_TRUE(st.st_mode & S_IWUSR);
}

TEST_F(FolderWalkTest, FindFilesIgnoresATrailingSlash) {
  std::vector<std::string> plain;
  std::vector<std::string> slashed;
  FindFilesRecursive(Root(), "*.DMP", false, &plain);  // patterns ignore case
  FindFilesRecursive(Root() + "/", "*.DMP", false, &slashed);
  EXPECT_EQ(plain, (std::vector<std::string>{Root() + "/a.dmp", Root() + "/b.dmp", Root() + "/link.dmp"}));
  EXPECT_EQ(slashed, plain);

  std::vector<std::string> deep;
  FindFilesRecursive(Root(), "*.dmp", true, &deep);
  EXPECT_EQ(deep.size(), 4u);
  EXPECT_EQ(deep.back(), Root() + "/old.dmp/x.dmp");
}

}  // namespace
