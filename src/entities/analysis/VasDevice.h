// The analysis-device row (TBL_VasDevice): which camera (`DeviceID`) an
// analysis server (`VasID`) analyses on which of its channels, and how.
// CTBLVasDeviceBase holds the 14 columns; CTBLVasDevice, the class registered
// for the table, adds the device's server, camera, regions and line crosses,
// and the schedule checks that decide whether a region's or a line's events
// count at a given time. Deleted with its camera; its server's delete sets
// `VasID` to 0.
#pragma once

#include <array>
#include <atomic>
#include <map>
#include <memory>

#include "entities/base/RowClass.h"
#include "foundation/DateTimeUtil.h"
#include "foundation/Lock.h"

class CTBLCamera;
class CTBLScheduleTask;
class CTBLVas;
class CTBLVasLineCross;
class CTBLVasROI;

// clang-format off
#define TBL_VAS_DEVICE_COLUMNS(C)                             \
  C(Int, "VasDeviceID", VasDeviceID, 0)                       \
  C(Int, "VasID", VasID, 0)                                   \
  C(Int, "DeviceID", DeviceID, 0)                             \
  C(Int, "ChannelNo", ChannelNo, 0)                           \
  C(Bool, "Enable", Enable, 0)                                \
  C(Int, "Protocol", Protocol, 1)                             \
  C(Int, "StreamType", StreamType, 1)                         \
  C(Bool, "IsDeleted", IsDeleted, 0)                          \
  C(DateTime, "DateTimeAdded", DateTimeAdded, "")             \
  C(Bool, "UseLPR", UseLPR, 0)                                \
  C(Bool, "UseFR", UseFR, 0)                                  \
  C(Int, "AnalysisModel", AnalysisModel, 1)                   \
  C(Int, "AnalysisFps", AnalysisFps, 5)                       \
  C(Int, "AnalysisNetworkSize", AnalysisNetworkSize, 0)
// clang-format on

// Deleting a device deletes its class groups, regions, line crosses and
// live-status row.
class CTBLVasDeviceBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLVasDeviceBase, "TBL_VasDevice", TBL_VAS_DEVICE_COLUMNS, AutoIncrement, "VasDeviceID",
                    kEntityNoFlags)
  GATE_ENTITY_RELATIONS({"TBL_VasClassGroup", "VasDeviceID", 0, kRelationModeDelete},
                        {"TBL_VasROI", "VasDeviceID", 0, kRelationModeDelete},
                        {"TBL_VasLineCross", "VasDeviceID", 0, kRelationModeDelete},
                        {"LTBL_VasDeviceStatus", "VasDeviceID", 0, kRelationModeDelete})
};

// Region and line numbers the schedule checks accept.
constexpr int kVasRegionNumberCount = 64;
// Lines numbered 1 to 10 get a schedule entry; 11 to 64 are accepted and
// count as unscheduled.
constexpr int kVasLineScheduleCount = 10;

// Beside the columns, two schedule tables: per region number 1-64 and per
// line number 1-10, the key of the schedule task the region or line follows,
// or 0. Each is built once per row object, at its first schedule check on a
// row that belongs to a store, under its own lock (taken only while unbuilt),
// and published complete: a built flag stored with release after the entries
// and read with acquire. Regions, lines and tasks changed later reach a row
// object that the store makes anew when it loads the table again; copies and
// clones start unbuilt, CopyTo leaves the target's tables alone (the copied
// columns hold nothing the tables are built from).
//
// The lookups read the owner store's cache and find nothing for a free row;
// each takes the store's locks.
class CTBLVasDevice : public CTBLVasDeviceBase {
 public:
  CTBLVasDevice() = default;
  // The columns and entity state; unbuilt schedule tables.
  CTBLVasDevice(const CTBLVasDevice& other) : CTBLVasDeviceBase(other) {}

  // The cached analysis server of `VasID`; null when none or of another class.
  std::shared_ptr<CTBLVas> GetVas() const;
  // The cached camera of `DeviceID`; null when none.
  std::shared_ptr<CTBLCamera> GetCamera() const;
  // The cached TBL_VasROI rows of the device by key; without `all`, the
  // regions of `Type` 2 (ignore regions) are left out.
  EntityMap GetROIRows(bool all) const;
  // Region number to region, over every region of the device in key order
  // (of two with one number, the higher key).
  std::map<int, std::shared_ptr<CTBLVasROI>> GetROIs() const;
  // The cached TBL_VasLineCross rows of the device by key.
  EntityMap GetLineCrosses() const;
  // Those whose `Enable` is not 0, by key.
  EntityMap GetEnabledLineCrosses() const;
  // Line number to enabled line, in key order (the higher key wins).
  std::map<int, std::shared_ptr<CTBLVasLineCross>> GetLineCrossesByNumber() const;
  // The enabled line numbered `number` with the lowest key; null when none.
  std::shared_ptr<CTBLVasLineCross> FindLineCross(int number) const;

  // The cached schedule task of region `number`'s entry, building the region
  // table first; null for a number outside 1-64, a free row, an entry 0 or a
  // task no longer cached.
  std::shared_ptr<CTBLScheduleTask> GetROIScheduleTask(int number);
  // Whether region `number`'s events count at `time` (local time): 0 outside
  // 1-64; the task's IsActiveAt when GetROIScheduleTask finds one; else 1
  // for an entry 0 (no schedule) and 0 for a task gone from the cache.
  int IsROIScheduleActive(int number, const SystemTime& time);
  // The same for lines; numbers 11 to 64 have entry 0 (no task, active).
  std::shared_ptr<CTBLScheduleTask> GetLineCrossScheduleTask(int number);
  int IsLineCrossScheduleActive(int number, const SystemTime& time);

  // Build the tables (once; see above). Called by the checks.
  void BuildROITables();
  void BuildLineCrossTables();

 private:
  // One schedule table: its entries, built flag and lock.
  template <size_t N>
  struct ScheduleTable {
    CLock lock;                           // taken to build
    std::array<int, N> taskIds{};         // written under `lock` before `built`
    std::atomic<bool> built{false};       // release-stored after the entries
  };
  // The task key of entry `number` (1-based) of a built table, else 0.
  template <size_t N>
  static int EntryOf(const ScheduleTable<N>& table, int number);
  // The task and the check of an entry.
  std::shared_ptr<CTBLScheduleTask> FindTask(int taskId) const;
  int CheckEntry(int taskId, const SystemTime& time) const;

  ScheduleTable<kVasRegionNumberCount> regions_;
  ScheduleTable<kVasLineScheduleCount> lines_;
};
