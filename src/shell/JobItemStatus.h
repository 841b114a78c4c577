// The run status of one job of the AI event, server status and alarm output
// publishers: the job's ID, the UTC time of its last run and the result of
// that run (0 success, other codes per service). Each service keeps one per
// job and writes it to the job's status file with CXmlSerializer: root element
// named by the type name, then ID, LastDateTimeExecuted and LastErrorCode.
//
// A status is a plain value; the service that shares one between threads
// guards it.
#pragma once

#include <stdint.h>

#include <string>

#include "shell/JobRecord.h"

#define GATE_JOB_ITEM_STATUS_FIELDS(F)                   \
  F(Int, ID, "ID", 0)                                    \
  F(Text, LastDateTimeExecuted, "LastDateTimeExecuted", "") \
  F(Int, LastErrorCode, "LastErrorCode", 0)

class CJobItemStatus : public CSerializable {
 public:
  // Names the node by the type name; ID, LastDateTimeExecuted, LastErrorCode.
  // Reads the three values only when the node's name is the type name (any
  // letter case): a file of another kind leaves the status as it was.
  GATE_JOB_STATUS_SERIALIZATION()

  // Stores the instant (seconds since 1970) as its UTC time text.
  void SetLastExecutedTime(int64_t seconds);
  // LastDateTimeExecuted in local time, same form; "" when it does not parse.
  std::string GetLastExecutedLocalText() const;

  GATE_JOB_RECORD_FIELDS(CJobItemStatus, GATE_JOB_ITEM_STATUS_FIELDS)
};

// The AI event publisher's status ("AIEventPubItemStatus").
class CAIEventPublisherItemStatus : public CJobItemStatus {
 public:
  const char* GetTypeName() const override { return "AIEventPubItemStatus"; }
};

// The server status publisher's status; its type name is the AI event one's.
class CServerStatusPublisherItemStatus : public CJobItemStatus {
 public:
  const char* GetTypeName() const override { return "AIEventPubItemStatus"; }
  // LastDateTimeExecuted as seconds since 1970; 0 when it does not parse or
  // lies before 1970 (the target is then due).
  int64_t GetLastExecutedTime() const;
};

// The alarm output publisher's status ("AlarmOutputPubItemStatus").
class CAlarmOutputPublisherItemStatus : public CJobItemStatus {
 public:
  const char* GetTypeName() const override { return "AlarmOutputPubItemStatus"; }
};
