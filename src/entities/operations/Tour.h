// The tour row (TBL_Tour): one camera's tour settings, keyed by the camera
// (`camera_no`, written as given): a tour list, one list per weekday, five
// scheduled lists and a home preset with its return timing. The list texts
// are carried as they are.
#pragma once

#include <atomic>

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_TOUR_COLUMNS(C)                           \
  C(Int, "camera_no", CameraNo, -1)                   \
  C(String, "tour_list", TourList, "")                \
  C(String, "sun", Sun, "")                           \
  C(String, "mon", Mon, "")                           \
  C(String, "tue", Tue, "")                           \
  C(String, "wed", Wed, "")                           \
  C(String, "thu", Thu, "")                           \
  C(String, "fri", Fri, "")                           \
  C(String, "sat", Sat, "")                           \
  C(Bool, "use_home_preset", UseHomePreset, 0)        \
  C(Int, "home_preset_no", HomePresetNo, 1)           \
  C(Int, "home_period_sec", HomePeriodSec, 10)        \
  C(Int, "ResumeTime", ResumeTime, 180)               \
  C(Int, "TourKind", TourKind, 0)                     \
  C(String, "SchedTourList1", SchedTourList1, "")     \
  C(String, "SchedTourList2", SchedTourList2, "")     \
  C(String, "SchedTourList3", SchedTourList3, "")     \
  C(String, "SchedTourList4", SchedTourList4, "")     \
  C(String, "SchedTourList5", SchedTourList5, "")
// clang-format on

class CTBLTourBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLTourBase, "TBL_Tour", TBL_TOUR_COLUMNS, Plain, "camera_no", kEntityNoFlags)
};

// Besides the columns the row carries a row number of its own (0 when new),
// which is neither loaded, written nor copied: a copy starts without one.
class CTBLTour : public CTBLTourBase {
 public:
  CTBLTour() = default;
  CTBLTour(const CTBLTour& other) : CTBLTourBase(other) {}

  // The row number when it is not 0, else `camera_no`.
  int GetID() const override;
  // Sets the row number only; `camera_no` stays.
  void SetID(int id) override { rowNumber_.store(id, std::memory_order_relaxed); }

 private:
  std::atomic<int> rowNumber_{0};
};
