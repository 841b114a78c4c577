// Shared cached analysis rows read from eight threads at once, as the
// publishers' pools do: channel look-ups, schedule checks that build their
// tables on first use, class lists, while the fault flag flips and a class
// list changes. Run under ThreadSanitizer with the other entity suites.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "AnalysisStoreFixture.h"

namespace {

class AnalysisConcurrencyTest : public AnalysisStoreTest {};

TEST_F(AnalysisConcurrencyTest, EightThreadsShareRowsWhileTheFaultFlips) {
  ScopedTimeZone zone("UTC");
  auto vas = AddVas("Shared");
  ASSERT_TRUE(vas);
  auto device = AddDevice(vas->GetID(), 4);
  auto event = AddEvent("Loitering");
  auto task = AddTaskCovering("Wednesday", "09:00:00", "10:00:00");
  ASSERT_TRUE(device && event && task);
  AddRegion(device->GetID(), 1, event->GetID(), task->GetID());
  AddLine(device->GetID(), 1, event->GetID(), task->GetID());
  event->SetClassList("1,2,3");
  const SystemTime inside = LocalTime(2024, 3, 6, 9, 30);
  const SystemTime outside = LocalTime(2024, 3, 6, 11, 0);

  std::atomic<bool> stop{false};
  std::atomic<int> wrong{0};
  std::thread flipper([&] {
    for (int i = 0; !stop.load(); ++i) {
      vas->SetFaultFlag(i % 2);
      event->SetClassList(i % 2 ? "1,2,3" : "3,2,1");
      std::this_thread::yield();
    }
  });
  std::vector<std::thread> readers;
  for (int t = 0; t < 8; ++t) {
    readers.emplace_back([&] {
      for (int i = 0; i < 200; ++i) {
        if (vas->FindVasDeviceByChannel(4).get() != device.get()) ++wrong;
        if (device->IsROIScheduleActive(1, inside) != 1 || device->IsROIScheduleActive(1, outside) != 0) ++wrong;
        if (device->IsLineCrossScheduleActive(1, outside) != 0) ++wrong;
        if (task->IsActiveAt(inside) != 1) ++wrong;
        std::vector<int> classes;
        event->GetClassIDList(&classes);
        if (classes.size() != 3) ++wrong;
        static_cast<IEntityTreeNode*>(vas->GetInterface("IEntityTreeNode"))->GetNodeStatus();
        vas->GetDisplayName();
      }
    });
  }
  for (auto& reader : readers) reader.join();
  stop = true;
  flipper.join();
  EXPECT_EQ(wrong.load(), 0);
}

TEST_F(AnalysisConcurrencyTest, EightThreadsAskingAFreshTaskBuildOneTable) {
  auto task = AddTaskCovering("Friday", "18:00:00", "19:00:00");
  ASSERT_TRUE(task);
  for (int round = 0; round < 5; ++round) {
    // A row object the store makes anew starts without a table.
    std::shared_ptr<CTBLScheduleTask> fresh(static_cast<CTBLScheduleTask*>(task->Clone()));
    fresh->SetDataStore(store_.get());
    std::vector<std::shared_ptr<const ScheduleWeekTable>> seen(8);
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) threads.emplace_back([&, t] { seen[t] = fresh->GetWeekTable(); });
    for (auto& thread : threads) thread.join();
    ASSERT_NE(seen[0], nullptr);
    for (const auto& table : seen) EXPECT_EQ(table, seen[0]) << "one table, published whole";
    EXPECT_EQ((*seen[0])[5 * 48 + 36], 1);
  }
}

}  // namespace
