// CVasStatusStream ("StatusStream"): one whole status document of an
// analysis server of the installation's own kind: the server's start and
// current date and time (its own texts), the totals with the GPUs, the
// status of each channel (a map ordered by channel, only channels above 0),
// the client totals and the analysis totals. The status handler reads every
// part into a fresh one. A plain value; no lock.
#pragma once

#include <stdint.h>

#include <map>

#include "analysis/VasChannelStatus.h"
#include "analysis/VasTotalAnalysis.h"
#include "analysis/VasTotalClient.h"
#include "analysis/VasTotalStatus.h"
#include "foundation/RecordFields.h"

#define VAS_STATUS_STREAM_FIELDS(F) \
  F(RecordText, StartDate)          \
  F(RecordText, StartTime)          \
  F(RecordText, CurrentDate)        \
  F(RecordText, CurrentTime)

class CVasStatusStream : public CSerializable {
 public:
  using ChannelMap = std::map<int32_t, CVasChannelStatus>;

  const char* GetTypeName() const override { return "StatusStream"; }
  // Names the node "StatusStream" with the four dates and times, then the
  // children "Status" (TotalStatus, ChannelStatus with one item per channel
  // in channel order), "Client" (TotalClient) and "Analysis" (TotalAnalysis).
  void Serialize(CSerializationInfo& node) const override;
  // A node of another name leaves the record as it was. Channel items of
  // channel 0 or less are dropped, a later item of a channel replaces an
  // earlier one, channels the document omits stay; an "Analysis" element
  // sets the analysis-present flag, its absence clears it.
  void Deserialize(const CSerializationInfo& node) override;

  RECORD_DECLARE_FIELDS(VAS_STATUS_STREAM_FIELDS)

 public:
  CVasTotalStatus& GetTotalStatus() { return totalStatus_; }
  const CVasTotalStatus& GetTotalStatus() const { return totalStatus_; }
  void SetTotalStatus(const CVasTotalStatus& status) { totalStatus_ = status; }
  ChannelMap& GetChannelStatus() { return channels_; }
  const ChannelMap& GetChannelStatus() const { return channels_; }
  void SetChannelStatus(const ChannelMap& channels) { channels_ = channels; }
  CVasTotalClient& GetTotalClient() { return totalClient_; }
  const CVasTotalClient& GetTotalClient() const { return totalClient_; }
  void SetTotalClient(const CVasTotalClient& client) { totalClient_ = client; }
  CVasTotalAnalysis& GetTotalAnalysis() { return totalAnalysis_; }
  const CVasTotalAnalysis& GetTotalAnalysis() const { return totalAnalysis_; }
  // Copies the channels text only; the analysis-present flag stays.
  void SetTotalAnalysis(const CVasTotalAnalysis& analysis) { totalAnalysis_.SetChannels(analysis.GetChannels()); }

 private:
  CVasTotalStatus totalStatus_;
  ChannelMap channels_;
  CVasTotalClient totalClient_;
  CVasTotalAnalysis totalAnalysis_;
};
