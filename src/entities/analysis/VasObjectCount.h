// The line-crossing object counts of an analysis device (TBL_VasObjectCount):
// per line, its total forward and backward counts and the counts per object
// class as the database's writers store them (texts the gateway never reads).
#pragma once

#include <map>
#include <utility>

#include "entities/base/RowClass.h"
#include "foundation/Lock.h"

// clang-format off
#define TBL_VAS_OBJECT_COUNT_COLUMNS(C)                                  \
  C(Int, "VasObjectCountID", VasObjectCountID, 0)                        \
  C(Int, "VasDeviceID", VasDeviceID, 0)                                  \
  C(Int, "VasLineCrossID", VasLineCrossID, 0)                            \
  C(Int, "VasLineCrossNumber", VasLineCrossNumber, 0)                    \
  C(DateTime, "DateTimeUpdated", DateTimeUpdated, "")                    \
  C(Int, "TotalForwardCount", TotalForwardCount, 0)                      \
  C(Int, "TotalBackwardCount", TotalBackwardCount, 0)                    \
  C(String, "ForwardObjectCountPerClass", ForwardObjectCountPerClass, "")   \
  C(String, "BackwardObjectCountPerClass", BackwardObjectCountPerClass, "")
// clang-format on

class CTBLVasObjectCountBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLVasObjectCountBase, "TBL_VasObjectCount", TBL_VAS_OBJECT_COUNT_COLUMNS, AutoIncrement,
                    "VasObjectCountID", kEntityNoFlags)
};

// Beside the columns, the counts per object class that a caller fills before
// it hands the row to an analysis server's base-count request: class number
// to (forward, backward). Not a column: loading, copying, cloning and the
// serialised form leave it alone, and it is never derived from the two
// per-class texts. Copies and clones start with an empty map. Guarded by its
// own lock.
class CTBLVasObjectCount : public CTBLVasObjectCountBase {
 public:
  CTBLVasObjectCount() = default;
  // The columns and entity state; an empty class map.
  CTBLVasObjectCount(const CTBLVasObjectCount& other) : CTBLVasObjectCountBase(other) {}

  // Sets the counts of `classId`.
  void SetObjectCountPerClass(int classId, int forward, int backward);
  // The counts of `classId`: true with both set when the class has an entry;
  // false with both 0 otherwise. Adds no entry.
  bool GetObjectCountPerClass(int classId, int* forward, int* backward) const;
  // The number of classes with an entry.
  size_t GetObjectCountClassCount() const;

 private:
  mutable CLock countLock_;
  std::map<int, std::pair<int, int>> mapObjectCountPerClass_ GUARDED_BY(countLock_);
};
