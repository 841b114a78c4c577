// The AI event publisher's job records: one target (an HTTP URL, or the
// building-IoT platform's address) and the job list stored under
// "AIEventPubItems". Its run status is CAIEventPublisherItemStatus (JobItemStatus.h).
#pragma once

#include <string>

#include "shell/GateServiceKind.h"
#include "shell/JobItemStatus.h"
#include "shell/JobRecord.h"

#define GATE_AI_EVENT_ITEM_FIELDS(F)                                \
  F(Int, ID, "ID", 0)                                               \
  F(Text, TargetUrl, "TargetUrl", "")                               \
  F(Text, TargetLoginID, "TargetLoginID", "")                       \
  F(Text, TargetPassword, "TargetPassword", "")                     \
  F(Int, TargetAuthMethod, "TargetAuthMethod", 0)                   \
  F(Bool, TargetUseSecureSession, "TargetUseSecureSession", false)

// One AI event target: URL, login (password stored enciphered),
// authentication (1 Basic, 2 Digest, else credentials in the query) and TLS.
class CAIEventPublisherItem : public CSerializable {
 public:
  std::string GetTargetPasswordPlain() const { return DecipherJobPassword(GetTargetPassword()); }

  GATE_JOB_RECORD(CAIEventPublisherItem, "AIEventItem", GATE_AI_EVENT_ITEM_FIELDS)
};

class CAIEventPublisherItems : public CJobItemList<CAIEventPublisherItem> {
 public:
  const char* GetTypeName() const override { return "AIEventPublisherItems"; }
};

// Kind 3: no details, column 3 TargetUrl, column 4 the last run.
extern const TGateServiceKind<CAIEventPublisherItem, CAIEventPublisherItemStatus> kAIEventPublisherKind;
