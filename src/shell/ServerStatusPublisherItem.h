// The server status publisher's job records: one target of the status
// document and the job list stored under "ServerStatusPubItems". Its run
// status is CServerStatusPublisherItemStatus (JobItemStatus.h).
#pragma once

#include <string>

#include "shell/GateServiceKind.h"
#include "shell/JobItemStatus.h"
#include "shell/JobRecord.h"

// In writing order: Period comes last.
#define GATE_SERVER_STATUS_ITEM_FIELDS(F)                           \
  F(Int, ID, "ID", 0)                                               \
  F(Int, ServerKind, "ServerKind", 0)                               \
  F(Text, TargetUrl, "TargetUrl", "")                               \
  F(Text, TargetLoginID, "TargetLoginID", "")                       \
  F(Text, TargetPassword, "TargetPassword", "")                     \
  F(Int, TargetAuthMethod, "TargetAuthMethod", 0)                   \
  F(Bool, TargetUseSecureSession, "TargetUseSecureSession", false)  \
  F(Int, Period, "Period", 0)

// One status target: the server kind chosen on the option page (0 or 1),
// URL, login (password stored enciphered), authentication, TLS, and the
// seconds between two posts. Its type name is the AI event target's.
class CServerStatusPublisherItem : public CSerializable {
 public:
  std::string GetTargetPasswordPlain() const { return DecipherJobPassword(GetTargetPassword()); }

  GATE_JOB_RECORD(CServerStatusPublisherItem, "AIEventItem", GATE_SERVER_STATUS_ITEM_FIELDS)
};

class CServerStatusPublisherItems : public CJobItemList<CServerStatusPublisherItem> {
 public:
  const char* GetTypeName() const override { return "ServerStatusPublisherItems"; }
};

// Kind 4: no details, column 3 TargetUrl, column 4 the last run.
extern const TGateServiceKind<CServerStatusPublisherItem, CServerStatusPublisherItemStatus>
    kServerStatusPublisherKind;
