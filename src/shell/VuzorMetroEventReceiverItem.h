// The metro event receiver's job records: an HTTP target site, one receiver
// job (a UDP port and its target sites), the job list stored under
// "DMEventReceiverItems", one received event of the run status's history, and
// the run status of a receiver job with that history.
#pragma once

#include <stdint.h>
#include <string>
#include <vector>

#include "shell/GateServiceKind.h"
#include "shell/JobRecord.h"

#define GATE_HTTP_TARGET_SITE_FIELDS(F)             \
  F(Text, TargetUrl, "TargetUrl", "")               \
  F(Text, TargetLoginID, "TargetLoginID", "")       \
  F(Text, TargetPassword, "TargetPassword", "")     \
  F(Int, TargetAuthMethod, "TargetAuthMethod", 0)

// One HTTP target of a receiver job: URL, login (password stored
// enciphered) and authentication (1 Basic, 2 Digest, else the credentials in
// the query). It has no ID; its type name is the AI event target's.
class CHttpTargetSite : public CSerializable {
 public:
  std::string GetTargetPasswordPlain() const { return DecipherJobPassword(GetTargetPassword()); }
  // All four fields equal (texts byte by byte).
  bool IsEqual(const CHttpTargetSite& other) const { return *this == other; }

  GATE_JOB_RECORD(CHttpTargetSite, "AIEventItem", GATE_HTTP_TARGET_SITE_FIELDS)
};

#define GATE_METRO_RECEIVER_ITEM_FIELDS(F)          \
  F(Int, ID, "ID", 0)                               \
  F(Bool, Enable, "Enable", false)                  \
  F(Int, Port, "Port", 10002)

// One receiver job: whether it runs, the UDP port it listens on (10002 in a
// new job; a stored job without it reads 0) and the sites every event goes to.
class CVuzorMetroEventReceiverItem : public CSerializable {
 public:
  const char* GetTypeName() const override { return "DMEventItem"; }
  // "ID", "Enable", "Port", then, only when there is a site, a child array
  // "TargetSites" with one node per site.
  void Serialize(CSerializationInfo& node) const override;
  // "id", "enable", "port"; the sites are emptied, then taken from the first
  // child node when it is named "targetsites" (any letter case).
  void Deserialize(const CSerializationInfo& node) override;

  std::vector<CHttpTargetSite>& GetTargetSites() { return targetSites_; }
  const std::vector<CHttpTargetSite>& GetTargetSites() const { return targetSites_; }
  void SetTargetSites(const std::vector<CHttpTargetSite>& sites) { targetSites_ = sites; }

  // Every field and every site equal, in order.
  bool operator==(const CVuzorMetroEventReceiverItem& other) const {
    return EqualFields(other) && targetSites_ == other.targetSites_;
  }

 private:
  std::vector<CHttpTargetSite> targetSites_;

  GATE_JOB_RECORD_FIELDS(CVuzorMetroEventReceiverItem, GATE_METRO_RECEIVER_ITEM_FIELDS)
};

class CVuzorMetroEventReceiverItems : public CJobItemList<CVuzorMetroEventReceiverItem> {
 public:
  const char* GetTypeName() const override { return "DMEventItems"; }
};

#define GATE_METRO_HISTORY_FIELDS(F)                \
  F(Text, TrainSetNumber, "TrainSetNumber", "")     \
  F(Int, CarNumber, "CarNumber", 0)                 \
  F(Int, EventType, "EventType", 0)                 \
  F(Text, DateTimeReceived, "DateTimeReceived", "")

// One accepted event in a receiver's run status: the train set, the car, the
// event code and when the event was raised (UTC time text).
class CVuzorMetroEventHistory : public CSerializable {
  GATE_JOB_RECORD(CVuzorMetroEventHistory, "History", GATE_METRO_HISTORY_FIELDS)
};

#define GATE_METRO_RECEIVER_STATUS_FIELDS(F)                     \
  F(Int, ID, "ID", 0)                                            \
  F(Text, LastAddress, "LastAddress", "")                        \
  F(Text, LastDateTimeReceived, "LastDateTimeReceived", "")      \
  F(Int, LastErrorCode, "LastErrorCode", 0)

// The run status of a receiver job: the sender and UTC time of the last
// accepted event, the kept error code, and the accepted events, oldest first.
class CVuzorMetroEventReceiverItemStatus : public CSerializable {
 public:
  const char* GetTypeName() const override { return "DMEventReceiverStatus"; }
  // The four values, then, only when there is history, a child array
  // "Histories" with one "History" node per entry.
  void Serialize(CSerializationInfo& node) const override;
  // The four values whatever the node's name; the history is emptied, then
  // taken from the first child node when it is named "histories" (any case).
  void Deserialize(const CSerializationInfo& node) override;

  std::vector<CVuzorMetroEventHistory>& GetHistories() { return histories_; }
  const std::vector<CVuzorMetroEventHistory>& GetHistories() const { return histories_; }
  void SetHistories(const std::vector<CVuzorMetroEventHistory>& histories) { histories_ = histories; }

  // Stores the instant (seconds since 1970) as the UTC time text of LastDateTimeReceived.
  void SetLastReceivedTime(int64_t seconds);
  // LastDateTimeReceived in local time; "" when it does not parse (no event yet).
  std::string GetLastReceivedLocalText() const;

 private:
  std::vector<CVuzorMetroEventHistory> histories_;

  GATE_JOB_RECORD_FIELDS(CVuzorMetroEventReceiverItemStatus, GATE_METRO_RECEIVER_STATUS_FIELDS)
};

// Kind 7: column 2 "<text 23> <Port>", no target, column 4 the last reception.
extern const TGateServiceKind<CVuzorMetroEventReceiverItem, CVuzorMetroEventReceiverItemStatus>
    kMetroEventReceiverKind;
