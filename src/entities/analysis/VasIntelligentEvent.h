// The intelligent event row (TBL_VasIntelligentEvent): one analysis event the
// installation defines, with the object classes it watches, how objects are
// cropped and matched, and its face-recognition settings. Regions and lines
// name it in `VasIntelligentEventID`. Deleting it sets that column of its
// regions to 0 (its lines keep the key) and marks the row deleted.
//
// TBL_VasEventAreaColor, which the second relation names, has no row class:
// the store finds no rows of it to delete, so such rows are left in place.
#pragma once

#include <string>
#include <vector>

#include "entities/base/RowClass.h"
#include "foundation/Lock.h"

// clang-format off
#define TBL_VAS_INTELLIGENT_EVENT_COLUMNS(C)                        \
  C(Int, "VasIntelligentEventID", VasIntelligentEventID, 0)         \
  C(String, "Name", Name, "")                                       \
  C(String, "ClassList", ClassList, "")                             \
  C(Int, "HoldingTime", HoldingTime, 0)                             \
  C(Int, "Type", Type, 1)                                           \
  C(Int, "ObjectCropCriteria", ObjectCropCriteria, 0)               \
  C(Int, "ObjectCropPercent", ObjectCropPercent, 100)               \
  C(Int, "ObjectOverlapPercent", ObjectOverlapPercent, 100)         \
  C(Bool, "IsDeleted", IsDeleted, 0)                                \
  C(Int, "ResourceID", ResourceID, 0)                               \
  C(Int, "AutoBroadcastNumber", AutoBroadcastNumber, 0)             \
  C(Int, "AreaColor", AreaColor, 0)                                 \
  C(Int, "EventType", EventType, 1)                                 \
  C(Int, "ClassOverlapSize", ClassOverlapSize, 30)                  \
  C(Int, "ClassOverlapMethod", ClassOverlapMethod, 1)               \
  C(String, "OverlapClassList", OverlapClassList, "")               \
  C(String, "FaceGroupList", FaceGroupList, "")                     \
  C(Int, "FaceDetectionMethod", FaceDetectionMethod, 0)             \
  C(Int, "IllegalDumpingType", IllegalDumpingType, 2)               \
  C(Int, "ClusterSize", ClusterSize, 2)                             \
  C(Int, "OptionalClassUseMethod", OptionalClassUseMethod, 0)       \
  C(String, "OptionalClassList", OptionalClassList, "")             \
  C(Int, "ScreensToShowTogether", ScreensToShowTogether, 0)         \
  C(String, "ClassesToShowTogether", ClassesToShowTogether, "")     \
  C(Int, "AutoCloseTime", AutoCloseTime, 0)
// clang-format on

class CTBLVasIntelligentEventBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLVasIntelligentEventBase, "TBL_VasIntelligentEvent", TBL_VAS_INTELLIGENT_EVENT_COLUMNS,
                    AutoIncrement, "VasIntelligentEventID", kEntityNoFlags)
  GATE_ENTITY_RELATIONS({"TBL_VasROI", "VasIntelligentEventID", 0, kRelationModeSetZero},
                        {"TBL_VasEventAreaColor", "VasIntelligentEventID", 0, kRelationModeDelete})
};

// Besides the columns, a cache of `ClassList` read as numbers: the text last
// read and its numbers, guarded by `classLock_` (its own lock, apart from the
// row lock). Copies and clones start from an empty cache; CopyTo leaves the
// target's, which is checked against the text on every call.
class CTBLVasIntelligentEvent : public CTBLVasIntelligentEventBase {
 public:
  CTBLVasIntelligentEvent() = default;
  // The columns and entity state; an empty class-list cache.
  CTBLVasIntelligentEvent(const CTBLVasIntelligentEvent& other) : CTBLVasIntelligentEventBase(other) {}

  // Replaces `list` with the numbers of `ClassList` in text order: the
  // non-empty pieces between commas, each read as a decimal number (0 when it
  // has no digits). The text is read again only when it changed. Takes
  // `classLock_`.
  void GetClassIDList(std::vector<int>* list);
  // `ObjectCropCriteria` as text: 0 "Whole", 1 "Top", 2 "Bottom", 3 "Left",
  // 4 "Right"; "" for any other value.
  std::string GetCropCriteriaText() const;
  // The first number of `FaceGroupList` (empty pieces skipped); 0 for an
  // empty list.
  int GetFirstFaceGroupID() const;

 private:
  CLock classLock_;
  std::string classText_;        // guarded by classLock_
  std::vector<int> classIds_;    // guarded by classLock_
};
