#include "platform/FolderListing.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/TempDir.h"

namespace {

std::vector<std::string> Names(const std::vector<platform::FolderEntry>& entries) {
  std::vector<std::string> names;
  for (const auto& e : entries) names.push_back(e.name + (e.isFolder ? "/" : ""));
  return names;
}

TEST(FolderListing, ListsMatchingEntriesSortedByName) {
  TempDir dir;
  // Created out of order: the listing must not depend on the order of creation.
  for (const char* name : {"b.dmp", "a.dmp", "C.dmp", "c.txt", ".hidden.dmp", "a.dmp.bak"}) {
    ASSERT_TRUE(WriteTestFile(dir.Join(name), "x"));
  }
  ASSERT_EQ(mkdir(dir.Join("folder.dmp").c_str(), 0755), 0);
  ASSERT_EQ(symlink("a.dmp", dir.Join("link.dmp").c_str()), 0);
  ASSERT_EQ(symlink("missing", dir.Join("dangling.dmp").c_str()), 0);

  std::vector<platform::FolderEntry> entries;
  ASSERT_TRUE(platform::ListFolder(dir.path(), "*.dmp", &entries));
  EXPECT_EQ(Names(entries), (std::vector<std::string>{"C.dmp", "a.dmp", "b.dmp", "folder.dmp/", "link.dmp"}));

  ASSERT_TRUE(platform::ListFolder(dir.path(), "", &entries));
  EXPECT_EQ(entries.size(), 8u);  // all but the dangling link, "." and ".."
}

TEST(FolderListing, MissingFolderFails) {
  std::vector<platform::FolderEntry> entries{{"stale", false}};
  EXPECT_FALSE(platform::ListFolder("/nonexistent/folder", "*", &entries));
  EXPECT_TRUE(entries.empty());
}

}  // namespace
