// The statistics rows of the analysis devices, kept in three tables of one
// shape: TBL_VasStatistics and its weekly and monthly summaries. A row holds
// a device's counts for one category and event over a period; the columns
// are stored and returned as the database's writers put them, no code of the
// gateway reads them.
#pragma once

#include "entities/base/RowClass.h"

// The columns the three tables share after their key, in table order.
// clang-format off
#define GATE_VAS_STATISTICS_SHARED_COLUMNS(C)                                  \
  C(Int, "Category", Category, 0)                                              \
  C(Int, "EventID", EventID, 0)                                                \
  C(Int, "VasDeviceID", VasDeviceID, 0)                                        \
  C(Int, "UserID", UserID, 0)                                                  \
  C(DateTime, "StatisticsDateTime", StatisticsDateTime, "")                    \
  C(Int, "TotalCount1", TotalCount1, 0)                                        \
  C(Int, "TotalCount2", TotalCount2, 0)                                        \
  C(Int, "CorrectCount1", CorrectCount1, 0)                                    \
  C(Int, "CorrectCount2", CorrectCount2, 0)                                    \
  C(Int, "RightCorrectCount1", RightCorrectCount1, 0)                          \
  C(Int, "RightCorrectCount2", RightCorrectCount2, 0)                          \
  C(Int, "AutoBroadcastCount1", AutoBroadcastCount1, 0)                        \
  C(Int, "AutoBroadcastCount2", AutoBroadcastCount2, 0)                        \
  C(Int, "AutoBroadcastResolvedCount1", AutoBroadcastResolvedCount1, 0)        \
  C(Int, "AutoBroadcastResolvedCount2", AutoBroadcastResolvedCount2, 0)        \
  C(Int, "ManualBroadcastCount1", ManualBroadcastCount1, 0)                    \
  C(Int, "ManualBroadcastCount2", ManualBroadcastCount2, 0)                    \
  C(Int, "ManualBroadcastResolvedCount1", ManualBroadcastResolvedCount1, 0)    \
  C(Int, "ManualBroadcastResolvedCount2", ManualBroadcastResolvedCount2, 0)    \
  C(String, "OccurCountPerHour1", OccurCountPerHour1, "")                      \
  C(String, "OccurCountPerHour2", OccurCountPerHour2, "")

#define TBL_VAS_STATISTICS_COLUMNS(C)                                          \
  C(Int, "VasStatisticsID", VasStatisticsID, 0)                                \
  GATE_VAS_STATISTICS_SHARED_COLUMNS(C)

#define TBL_VAS_WEEKLY_STATISTICS_COLUMNS(C)                                   \
  C(Int, "VasWeeklyStatisticsID", VasWeeklyStatisticsID, 0)                    \
  GATE_VAS_STATISTICS_SHARED_COLUMNS(C)

#define TBL_VAS_MONTHLY_STATISTICS_COLUMNS(C)                                  \
  C(Int, "VasMonthlyStatisticsID", VasMonthlyStatisticsID, 0)                  \
  GATE_VAS_STATISTICS_SHARED_COLUMNS(C)
// clang-format on

class CTBLVasStatisticsBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLVasStatisticsBase, "TBL_VasStatistics", TBL_VAS_STATISTICS_COLUMNS, AutoIncrement,
                    "VasStatisticsID", kEntityNoFlags)
};

class CTBLVasStatistics : public CTBLVasStatisticsBase {};

class CTBLVasWeeklyStatisticsBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLVasWeeklyStatisticsBase, "TBL_VasWeeklyStatistics", TBL_VAS_WEEKLY_STATISTICS_COLUMNS,
                    AutoIncrement, "VasWeeklyStatisticsID", kEntityNoFlags)
};

class CTBLVasWeeklyStatistics : public CTBLVasWeeklyStatisticsBase {};

class CTBLVasMonthlyStatisticsBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLVasMonthlyStatisticsBase, "TBL_VasMonthlyStatistics", TBL_VAS_MONTHLY_STATISTICS_COLUMNS,
                    AutoIncrement, "VasMonthlyStatisticsID", kEntityNoFlags)
};

class CTBLVasMonthlyStatistics : public CTBLVasMonthlyStatisticsBase {};
