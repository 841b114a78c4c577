#include "entities/analysis/VasDevice.h"

#include "entities/Camera.h"
#include "entities/analysis/Vas.h"
#include "entities/analysis/VasLineCross.h"
#include "entities/analysis/VasROI.h"
#include "entities/operations/OwnerDataStore.h"
#include "entities/operations/ScheduleTask.h"

namespace {

constexpr int kIgnoreRegionType = 2;

// The rows of `rows` that are a `Row`, by the number `numberOf` gives, in key
// order (a later row with the same number replaces an earlier one).
template <class Row, class NumberOf>
std::map<int, std::shared_ptr<Row>> ByNumber(const EntityMap& rows, NumberOf numberOf) {
  std::map<int, std::shared_ptr<Row>> byNumber;
  for (auto& [id, row] : rows) {
    if (auto typed = std::dynamic_pointer_cast<Row>(row)) byNumber[numberOf(*typed)] = typed;
  }
  return byNumber;
}

}  // namespace

std::shared_ptr<CTBLVas> CTBLVasDevice::GetVas() const {
  return FindOwnerCachedRow<CTBLVas>(*this, CTBLVas::kTableName, GetVasID());
}

std::shared_ptr<CTBLCamera> CTBLVasDevice::GetCamera() const {
  return FindOwnerCachedRow<CTBLCamera>(*this, CTBLCamera::kTableName, GetDeviceID());
}

EntityMap CTBLVasDevice::GetROIRows(bool all) const {
  EntityMap rows = GetOwnerRelatedRows(*this, CTBLVasROI::kTableName, "VasDeviceID");
  if (all) return rows;
  for (auto it = rows.begin(); it != rows.end();) {
    auto region = std::dynamic_pointer_cast<CTBLVasROI>(it->second);
    it = region && region->GetType() == kIgnoreRegionType ? rows.erase(it) : std::next(it);
  }
  return rows;
}

std::map<int, std::shared_ptr<CTBLVasROI>> CTBLVasDevice::GetROIs() const {
  return ByNumber<CTBLVasROI>(GetROIRows(true), [](const CTBLVasROI& region) { return region.GetROINumber(); });
}

EntityMap CTBLVasDevice::GetLineCrosses() const {
  return GetOwnerRelatedRows(*this, CTBLVasLineCross::kTableName, "VasDeviceID");
}

EntityMap CTBLVasDevice::GetEnabledLineCrosses() const {
  EntityMap enabled;
  for (auto& [id, row] : GetLineCrosses()) {
    auto line = std::dynamic_pointer_cast<CTBLVasLineCross>(row);
    if (line && line->GetEnable() != 0) enabled.emplace(id, row);
  }
  return enabled;
}

std::map<int, std::shared_ptr<CTBLVasLineCross>> CTBLVasDevice::GetLineCrossesByNumber() const {
  return ByNumber<CTBLVasLineCross>(GetEnabledLineCrosses(),
                                    [](const CTBLVasLineCross& line) { return line.GetNumber(); });
}

std::shared_ptr<CTBLVasLineCross> CTBLVasDevice::FindLineCross(int number) const {
  for (auto& [id, row] : GetEnabledLineCrosses()) {
    auto line = std::dynamic_pointer_cast<CTBLVasLineCross>(row);
    if (line && line->GetNumber() == number) return line;
  }
  return nullptr;
}

void CTBLVasDevice::BuildROITables() {
  if (regions_.built.load(std::memory_order_acquire)) return;
  CScopedLock hold(regions_.lock);
  if (regions_.built.load(std::memory_order_relaxed) || GetOwnerDataStore(*this) == nullptr) return;
  regions_.taskIds.fill(0);
  for (auto& [id, row] : GetROIRows(false)) {
    auto region = std::dynamic_pointer_cast<CTBLVasROI>(row);
    if (!region || region->GetEnable() == 0 || region->GetVasIntelligentEventID() == 0) continue;
    const int number = region->GetROINumber();
    if (number < 1 || number > kVasRegionNumberCount) continue;
    if (auto task = FindTask(region->GetScheduleTaskID())) regions_.taskIds[number - 1] = task->GetID();
  }
  regions_.built.store(true, std::memory_order_release);
}

void CTBLVasDevice::BuildLineCrossTables() {
  if (lines_.built.load(std::memory_order_acquire)) return;
  CScopedLock hold(lines_.lock);
  if (lines_.built.load(std::memory_order_relaxed) || GetOwnerDataStore(*this) == nullptr) return;
  lines_.taskIds.fill(0);
  for (auto& [id, row] : GetEnabledLineCrosses()) {
    auto line = std::dynamic_pointer_cast<CTBLVasLineCross>(row);
    if (!line || line->GetUseEvent() == 0 || line->GetVasIntelligentEventID() == 0) continue;
    const int number = line->GetNumber();
    if (number < 1 || number > kVasLineScheduleCount) continue;
    if (auto task = FindTask(line->GetScheduleTaskID())) lines_.taskIds[number - 1] = task->GetID();
  }
  lines_.built.store(true, std::memory_order_release);
}

template <size_t N>
int CTBLVasDevice::EntryOf(const ScheduleTable<N>& table, int number) {
  if (number < 1 || number > static_cast<int>(N) || !table.built.load(std::memory_order_acquire)) return 0;
  return table.taskIds[number - 1];
}

std::shared_ptr<CTBLScheduleTask> CTBLVasDevice::FindTask(int taskId) const {
  return FindOwnerCachedRow<CTBLScheduleTask>(*this, CTBLScheduleTask::kTableName, taskId);
}

int CTBLVasDevice::CheckEntry(int taskId, const SystemTime& time) const {
  if (taskId == 0) return 1;  // no schedule: always active
  std::shared_ptr<CTBLScheduleTask> task = FindTask(taskId);
  return task ? task->IsActiveAt(time) : 0;  // a task gone from the cache: never active
}

std::shared_ptr<CTBLScheduleTask> CTBLVasDevice::GetROIScheduleTask(int number) {
  if (number < 1 || number > kVasRegionNumberCount) return nullptr;
  BuildROITables();
  return FindTask(EntryOf(regions_, number));
}

int CTBLVasDevice::IsROIScheduleActive(int number, const SystemTime& time) {
  if (number < 1 || number > kVasRegionNumberCount) return 0;
  BuildROITables();
  return CheckEntry(EntryOf(regions_, number), time);
}

std::shared_ptr<CTBLScheduleTask> CTBLVasDevice::GetLineCrossScheduleTask(int number) {
  if (number < 1 || number > kVasRegionNumberCount) return nullptr;
  BuildLineCrossTables();
  return FindTask(EntryOf(lines_, number));
}

int CTBLVasDevice::IsLineCrossScheduleActive(int number, const SystemTime& time) {
  if (number < 1 || number > kVasRegionNumberCount) return 0;
  BuildLineCrossTables();
  return CheckEntry(EntryOf(lines_, number), time);
}

GATE_REGISTER_ENTITY(CTBLVasDevice);
