// The worker row (TBL_Workers): one worker on a work schedule.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_WORKERS_COLUMNS(C)                        \
  C(Int, "WorkerID", WorkerID, 0)                     \
  C(Int, "WorkScheduleID", WorkScheduleID, 0)         \
  C(String, "Name", Name, "")                         \
  C(String, "Code", Code, "")                         \
  C(String, "Note", Note, "")
// clang-format on

class CTBLWorkerBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLWorkerBase, "TBL_Workers", TBL_WORKERS_COLUMNS, AutoIncrement, "WorkerID", kEntityNoFlags)
};

class CTBLWorker : public CTBLWorkerBase {};
