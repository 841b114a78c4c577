#include "foundation/IDCreater.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

namespace {

TEST(IDCreater, CountsPerKeyWithTemporaryIdsApart) {
  CIDCreater ids;
  EXPECT_EQ(ids.NextID("X"), 1);
  EXPECT_EQ(ids.NextID("X"), 2);
  EXPECT_EQ(ids.NextID("Y"), 1);
  EXPECT_EQ(ids.NextID("X", true), static_cast<int32_t>(0x80000003u));
  EXPECT_EQ(ids.NextID("X", true), static_cast<int32_t>(0x80000004u));
  EXPECT_EQ(ids.NextID("X"), 3);
  EXPECT_EQ(ids.NextID("X_Temp"), static_cast<int32_t>(0x80000005u));  // the same counter
}

TEST(IDCreater, SeedsAndWraps) {
  struct Case {
    std::string key;
    int32_t seed;
    bool temporary;
    int32_t next;
  } cases[] = {
      {"GATEMANAGER_ID", 57, false, 58},
      {"R", 0x7FFFFFFC, false, 0x7FFFFFFD},
      {"R", 0x7FFFFFFD, false, 1},
      {"R", -5, false, -4},
      {"T_Temp", -2, true, -1},
      {"T_Temp", -1, true, static_cast<int32_t>(0x80000003u)},  // never 0: that means "no transaction"
      {"T_Temp", 0, true, static_cast<int32_t>(0x80000003u)},
      {"T_Temp", 7, true, static_cast<int32_t>(0x80000003u)},
  };
  for (const Case& c : cases) {
    CIDCreater ids;
    ids.SetCurrentID(c.key, c.seed);
    std::string key = c.temporary ? c.key.substr(0, c.key.size() - 5) : c.key;
    EXPECT_EQ(ids.NextID(key, c.temporary), c.next) << c.key << " " << c.seed;
  }
}

TEST(IDCreater, ProcessWideSourceIsOneObject) {
  CIDCreater* ids = CIDCreater::GetInstance();
  ASSERT_NE(ids, nullptr);
  EXPECT_EQ(CIDCreater::GetInstance(), ids);
  EXPECT_GT(ids->NextID("_TEST_KEY"), 0);
}

TEST(IDCreaterWithThreads, ConcurrentCallersGetDistinctConsecutiveIds) {
  CIDCreater ids;
  constexpr int kThreads = 8, kEach = 1000;
  std::vector<std::vector<int32_t>> got(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) got[t].push_back(ids.NextID("_TRANSACTION", t % 2 == 1));
    });
  }
  for (auto& thread : threads) thread.join();
  std::vector<int32_t> regular, temporary;
  for (int t = 0; t < kThreads; ++t) (t % 2 ? temporary : regular).insert((t % 2 ? temporary : regular).end(), got[t].begin(), got[t].end());
  std::sort(regular.begin(), regular.end());
  std::sort(temporary.begin(), temporary.end());
  for (size_t i = 0; i < regular.size(); ++i) ASSERT_EQ(regular[i], static_cast<int32_t>(i + 1));
  for (size_t i = 0; i < temporary.size(); ++i)
    ASSERT_EQ(temporary[i], static_cast<int32_t>(0x80000003u + i));
}

}  // namespace
