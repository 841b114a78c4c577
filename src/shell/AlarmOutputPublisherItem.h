// The alarm output publisher's job records: one relay output and the job
// list stored under "AlarmOutputPublisherItems". Its run status is
// CAlarmOutputPublisherItemStatus (JobItemStatus.h).
#pragma once

#include <string>

#include "shell/GateServiceKind.h"
#include "shell/JobItemStatus.h"
#include "shell/JobRecord.h"

#define GATE_ALARM_OUTPUT_ITEM_FIELDS(F)            \
  F(Int, ID, "ID", 0)                               \
  F(Int, EventKind, "EventKind", 0)                 \
  F(Int, DeviceKind, "DeviceKind", 0)               \
  F(Int, Channel, "Channel", 1)                     \
  F(Text, EMapAddress, "EMapAddress", "")           \
  F(Text, TargetUrl, "TargetUrl", "")               \
  F(Text, TargetLoginID, "TargetLoginID", "")       \
  F(Text, TargetPassword, "TargetPassword", "")

// One relay output: the alarm it follows (1 management, 2 PIDS), the board
// kind (1 "ET-0808"), the output number (1 in a new record; a stored record
// without it reads 0), the E-map servers to watch, and the board's URL and
// login (password stored enciphered, never sent).
class CAlarmOutputPublisherItem : public CSerializable {
 public:
  std::string GetTargetPasswordPlain() const { return DecipherJobPassword(GetTargetPassword()); }
  void SetTargetPasswordPlain(const std::string& plain) { SetTargetPassword(EncipherJobPassword(plain)); }

  GATE_JOB_RECORD(CAlarmOutputPublisherItem, "AlarmOutputItem", GATE_ALARM_OUTPUT_ITEM_FIELDS)
};

class CAlarmOutputPublisherItems : public CJobItemList<CAlarmOutputPublisherItem> {
 public:
  const char* GetTypeName() const override { return "AlarmOutputPublisherItems"; }
};

// Kind 6: column 2 "<text 51> <Channel>", then " - <text 55>" for EventKind
// 1 or " - <text 56>" for EventKind 2; column 3 TargetUrl; column 4 the last run.
extern const TGateServiceKind<CAlarmOutputPublisherItem, CAlarmOutputPublisherItemStatus>
    kAlarmOutputPublisherKind;
