// The work-schedule message row (TBL_WorkScheduleMessages): one message of a
// work schedule, at its place in the schedule's order.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_WORK_SCHEDULE_MESSAGES_COLUMNS(C)                 \
  C(Int, "WorkScheduleMessageID", WorkScheduleMessageID, 0)   \
  C(Int, "WorkScheduleID", WorkScheduleID, 0)                 \
  C(String, "Message", Message, "")                           \
  C(Int, "MessageOrder", MessageOrder, 0)
// clang-format on

class CTBLWorkScheduleMessageBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLWorkScheduleMessageBase, "TBL_WorkScheduleMessages", TBL_WORK_SCHEDULE_MESSAGES_COLUMNS,
                    AutoIncrement, "WorkScheduleMessageID", kEntityNoFlags)
};

class CTBLWorkScheduleMessage : public CTBLWorkScheduleMessageBase {};
