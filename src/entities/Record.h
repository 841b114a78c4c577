// The installation's recording limits (TBL_Record): whether recording is
// limited to a number of days, the number of days, and a wait time. The table
// has no key: each row object carries a hidden row id from the ID source
// under the table name, which a copy leaves alone (a clone keeps its own).
// The database deletes such a row by matching all its columns and cannot
// update it (the update fails without any statement).
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_RECORD_COLUMNS(C)                     \
  C(Bool, "use_period_limit", UsePeriodLimit, 0)  \
  C(Int, "record_days", RecordDays, 30)           \
  C(Int, "fc_wait_time", FcWaitTime, 60)
// clang-format on

class CTBLRecord : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLRecord, "TBL_Record", TBL_RECORD_COLUMNS, None, "", kEntityKeepHiddenRowIdOnCopy)
};
