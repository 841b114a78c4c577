// The data synchronizer's job records: one job (CDataSynchronizerItem), the
// job list stored under "DataSyncItems" (CDataSynchronizerItems), and the run
// status of one job, which the NVR and HT NVR synchronizers share under their
// own class names (CDataSynchronizerItemStatus).
#pragma once

#include <stdint.h>
#include <string>

#include "shell/GateServiceKind.h"
#include "shell/JobRecord.h"

#define GATE_DATA_SYNC_ITEM_FIELDS(F)                               \
  F(Int, ID, "ID", 0)                                               \
  F(Text, SourceData, "SourceData", "")                             \
  F(Int, Period, "Period", 0)                                       \
  F(Text, TargetUrl, "TargetUrl", "")                               \
  F(Text, TargetLoginID, "TargetLoginID", "")                       \
  F(Text, TargetPassword, "TargetPassword", "")                     \
  F(Int, TargetAuthMethod, "TargetAuthMethod", 0)                   \
  F(Bool, TargetUseSecureSession, "TargetUseSecureSession", false)

// One data synchronizer job: the source table, the period in seconds, and the
// HTTP target (or the building-IoT platform) with its credentials; the
// password is stored enciphered.
class CDataSynchronizerItem : public CSerializable {
 public:
  // "Device" for the source "TBL_Camera", "IntelligentEvent" for
  // "TBL_VasIntelligentEvent" (exact bytes), "" otherwise.
  std::string GetEntityName() const;
  std::string GetTargetPasswordPlain() const { return DecipherJobPassword(GetTargetPassword()); }

  GATE_JOB_RECORD(CDataSynchronizerItem, "DataSyncItem", GATE_DATA_SYNC_ITEM_FIELDS)
};

class CDataSynchronizerItems : public CJobItemList<CDataSynchronizerItem> {
 public:
  const char* GetTypeName() const override { return "DataSynchronizerItems"; }
};

#define GATE_DATA_SYNC_ITEM_STATUS_FIELDS(F)                              \
  F(Int, ID, "ID", 0)                                                     \
  F(Text, LastDateTimeSynchronized, "LastDateTimeSynchronized", "")       \
  F(Text, LastDateTimeExecuted, "LastDateTimeExecuted", "")               \
  F(Int, LastErrorCode, "LastErrorCode", 0)

// The run status of a synchronizer job: the start times (UTC time texts) of
// its last accepted run and of its last run, and the result of the last run.
class CDataSynchronizerItemStatus : public CSerializable {
 public:
  const char* GetTypeName() const override { return "DataSyncItemStatus"; }
  // Reads only a node named "DataSyncItemStatus" (any letter case).
  GATE_JOB_STATUS_SERIALIZATION()

  // Store the instant (seconds since 1970) as UTC time text.
  void SetLastExecutedTime(int64_t seconds);
  void SetLastSynchronizedTime(int64_t seconds);
  // LastDateTimeExecuted as seconds since 1970; 0 when it does not parse or
  // lies before 1970, so the job is due.
  int64_t GetLastExecutedTime() const;
  // The time texts in local time; "" when they do not parse.
  std::string GetLastSynchronizedLocalText() const;
  std::string GetLastExecutedLocalText() const;

  GATE_JOB_RECORD_FIELDS(CDataSynchronizerItemStatus, GATE_DATA_SYNC_ITEM_STATUS_FIELDS)
};

// The NVR and HT NVR synchronizers keep the same status record.
using CNvrDataSynchronizerItemStatus = CDataSynchronizerItemStatus;
using CHTNvrDataSynchronizerItemStatus = CDataSynchronizerItemStatus;

// Kind 1: column 2 is SourceData, followed by " (<last synchronized>)" when
// there is one; column 3 TargetUrl; column 4 the last run.
extern const TGateServiceKind<CDataSynchronizerItem, CDataSynchronizerItemStatus> kDataSynchronizerKind;
