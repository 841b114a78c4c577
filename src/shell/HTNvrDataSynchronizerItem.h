// The HT NVR data synchronizer's job records: one Hitron NVR whose cameras
// are imported, and the job list stored under "HTNvrDataSyncItems". Its run
// status is CHTNvrDataSynchronizerItemStatus (DataSynchronizerItem.h).
#pragma once

#include <string>

#include "shell/DataSynchronizerItem.h"
#include "shell/GateServiceKind.h"
#include "shell/JobRecord.h"

#define GATE_HT_NVR_SYNC_ITEM_FIELDS(F)             \
  F(Int, ID, "ID", 0)                               \
  F(Int, Period, "Period", 0)                       \
  F(Text, TargetAddress, "TargetAddress", "")       \
  F(Int, TargetPort, "TargetPort", 0)               \
  F(Text, TargetLoginID, "TargetLoginID", "")       \
  F(Text, TargetPassword, "TargetPassword", "")     \
  F(Text, TargetGroup, "TargetGroup", "")

// One Hitron NVR: address, port, login (password stored enciphered) and the
// camera group its cameras go into. Its type name is the NVR job's.
class CHTNvrDataSynchronizerItem : public CSerializable {
 public:
  std::string GetTargetPasswordPlain() const { return DecipherJobPassword(GetTargetPassword()); }

  GATE_JOB_RECORD(CHTNvrDataSynchronizerItem, "NvrDataSyncItem", GATE_HT_NVR_SYNC_ITEM_FIELDS)
};

class CHTNvrDataSynchronizerItems : public CJobItemList<CHTNvrDataSynchronizerItem> {
 public:
  const char* GetTypeName() const override { return "HTNvrDataSynchronizerItems"; }
};

// Kind 5: column 2 the last synchronization, column 3 TargetAddress, column 4 the last run.
extern const TGateServiceKind<CHTNvrDataSynchronizerItem, CHTNvrDataSynchronizerItemStatus>
    kHTNvrDataSynchronizerKind;
