// CDMEventData: one train event of the metro event receiver. It arrives as a
// JSON object in a UDP datagram and leaves as the XML text posted to every
// target site. Beside its fields it carries the time it was received (not
// serialised), which the duplicate test compares with the clock.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "shell/JobRecord.h"

#define GATE_DM_EVENT_DATA_FIELDS(F)              \
  F(Text, VersionNo, "versionNo", "")             \
  F(Text, TrainNo, "trainNo", "")                 \
  F(Int, CarNo, "carNo", 0)                       \
  F(Int, EventType, "eventType", 0)               \
  F(Text, DateTimeRaised, "DateTimeRaised", "")   \
  F(Int, CameraNo, "cameraNo", 0)

class CDMEventData : public CSerializable {
 public:
  const char* GetTypeName() const override { return "DMEventData"; }
  // The six values in field order, then, only when there is a URL, a child
  // "camera" with one value "url" per URL.
  void Serialize(CSerializationInfo& node) const override;
  // The six values (integers from numbers or numeric texts); the URLs are
  // emptied, then taken from every value of the child named "camera" (any
  // letter case), wherever it stands among the children.
  void Deserialize(const CSerializationInfo& node) override;

  const std::vector<std::string>& GetCameraUrls() const { return cameraUrls_; }
  void SetCameraUrls(const std::vector<std::string>& urls) { cameraUrls_ = urls; }

  // The receive time (UTC time text, "" before the event is received).
  const std::string& GetReceivedTime() const { return receivedTime_; }
  // Sets the receive time to `nowSeconds` (seconds since 1970).
  void SetReceivedTime(int64_t nowSeconds);
  // The duplicate-window test at `nowSeconds`: true when the receive time does
  // not parse, lies in the future, or is at most `seconds` old.
  bool IsReceivedWithin(int seconds, int64_t nowSeconds) const;
  // DateTimeRaised without its milliseconds as a UTC time text, for the
  // history; "1970-01-01 00:00:00" when it names no time from 1970 on.
  std::string GetRaisedTimeText() const;
  // The duplicate key: "<trainNo>_<carNo>".
  std::string GetDuplicateKey() const;

  bool operator==(const CDMEventData& other) const {
    return EqualFields(other) && cameraUrls_ == other.cameraUrls_;
  }

 private:
  std::vector<std::string> cameraUrls_;
  std::string receivedTime_;

  GATE_JOB_RECORD_FIELDS(CDMEventData, GATE_DM_EVENT_DATA_FIELDS)
};
