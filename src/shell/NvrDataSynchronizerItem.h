// The NVR data synchronizer's job records: one target NVR and the job list
// stored under "NvrDataSyncItems". Its run status is CNvrDataSynchronizerItemStatus
// (DataSynchronizerItem.h).
#pragma once

#include <string>

#include "shell/DataSynchronizerItem.h"
#include "shell/GateServiceKind.h"
#include "shell/JobRecord.h"

#define GATE_NVR_SYNC_ITEM_FIELDS(F)                \
  F(Int, ID, "ID", 0)                               \
  F(Int, Period, "Period", 0)                       \
  F(Text, TargetAddress, "TargetAddress", "")       \
  F(Int, TargetPort, "TargetPort", 0)               \
  F(Text, TargetName, "TargetName", "")             \
  F(Text, TargetLoginID, "TargetLoginID", "")       \
  F(Text, TargetPassword, "TargetPassword", "")

// One NVR whose database the synchronizer fills: address, port and database
// name, with a login whose password is stored enciphered.
class CNvrDataSynchronizerItem : public CSerializable {
 public:
  std::string GetTargetPasswordPlain() const { return DecipherJobPassword(GetTargetPassword()); }
  void SetTargetPasswordPlain(const std::string& plain) { SetTargetPassword(EncipherJobPassword(plain)); }

  GATE_JOB_RECORD(CNvrDataSynchronizerItem, "NvrDataSyncItem", GATE_NVR_SYNC_ITEM_FIELDS)
};

class CNvrDataSynchronizerItems : public CJobItemList<CNvrDataSynchronizerItem> {
 public:
  const char* GetTypeName() const override { return "NvrDataSynchronizerItems"; }
};

// Kind 2: column 2 the last synchronization, column 3 TargetAddress, column 4 the last run.
extern const TGateServiceKind<CNvrDataSynchronizerItem, CNvrDataSynchronizerItemStatus> kNvrDataSynchronizerKind;
