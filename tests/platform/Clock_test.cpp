#include "platform/Clock.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "platform/Folders.h"
#include "support/TempDir.h"

namespace {

TEST(ManualClock, LocalTimeFollowsTheTimeZone) {
  setenv("TZ", "KST-9", 1);
  tzset();
  platform::ManualClock clock;
  clock.SetLocal(2024, 2, 29, 23, 59, 59, 999);
  EXPECT_EQ(clock.NowSeconds(), 1709218799);  // 14:59:59 UTC
  clock.AdvanceMillis(1);
  platform::LocalDateTime t = clock.LocalNow();
  EXPECT_EQ((std::vector<int>{t.year, t.month, t.day, t.hour, t.minute, t.second, t.millisecond}),
            (std::vector<int>{2024, 3, 1, 0, 0, 0, 0}));
}

TEST(ManualClock, TickCountCanBePlacedBeforeItsWrap) {
  platform::ManualClock clock;
  clock.SetTickCount(0xFFFFFFF0u);
  uint32_t first = clock.TickCount();
  EXPECT_GE(first, 0xFFFFFFF0u);
  EXPECT_LT(static_cast<uint32_t>(clock.TickCount() - first), 1000u);
}

TEST(Folders, CreatesParentsAndListsByName) {
  TempDir dir;
  ASSERT_TRUE(platform::CreateFolderTree(dir.Join("a/b/c")));
  ASSERT_TRUE(platform::CreateFolderTree(dir.Join("a/b/c")));
  ASSERT_TRUE(platform::CreateFolderTree(dir.Join("a/A")));
  ASSERT_TRUE(WriteTestFile(dir.Join("a/0.txt"), "x"));
  auto entries = platform::ListFolder(dir.Join("a"));
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, "0.txt");
  EXPECT_FALSE(entries[0].isFolder);
  EXPECT_EQ(entries[1].name, "A");
  EXPECT_EQ(entries[2].name, "b");
  EXPECT_TRUE(entries[2].isFolder);
  EXPECT_TRUE(platform::ListFolder(dir.Join("missing")).empty());
  EXPECT_FALSE(platform::CreateFolderTree(dir.Join("a/0.txt/x")));
}

}  // namespace
