// CZavEventStream ("EventStream"): one whole status document of a recording
// server's event stream: its dates and times, the totals, the status of each
// channel (a map ordered by channel, only channels above 0), the recording
// state, the channel lists of every event kind, the analysis ID lists and the
// disk triggers. Channel and ID lists stay texts in the server's form. Built
// fresh for every part the status handler reads; no lock.
#pragma once

#include <map>

#include "recorders/ZavChannelStatus.h"
#include "recorders/ZavRecordFields.h"
#include "recorders/ZavRecordStatus.h"
#include "recorders/ZavTotalStatus.h"

#define ZAV_EVENT_STREAM_FIELDS(F) \
  F(ZavText, StartDate)            \
  F(ZavText, StartTime)            \
  F(ZavText, CurrentDate)          \
  F(ZavText, CurrentTime)

// The event-kind lists: group, its inner node, element, field.
#define ZAV_EVENT_STREAM_LISTS(I) \
  I(Alarm, TotalAlarm, ZavText, Channels, AlarmChannels)                                  \
  I(Motion, TotalMotion, ZavText, Channels, MotionChannels)                               \
  I(Color, TotalColor, ZavText, Channels, ColorChannels)                                  \
  I(VideoLoss, TotalVideoLoss, ZavText, HighStreamChannels, VideoLossHighStreamChannels)  \
  I(VideoLoss, TotalVideoLoss, ZavText, LowStreamChannels, VideoLossLowStreamChannels)    \
  I(TextIn, TotalTextIn, ZavText, Channels, TextInChannels)                               \
  I(PTZ, TotalPTZ, ZavText, TourChannels, PTZTourChannels)                                \
  I(Analysis, TotalAnalysis, ZavText, Channels, AnalysisChannels)                         \
  I(Rest, TotalRest, ZavText, TemperatureChannels, TemperatureChannels)                   \
  I(Rest, TotalRest, ZavText, TemperaturelowChannels, TemperaturelowChannels)             \
  I(Rest, TotalRest, ZavText, TripwireChannels, TripwireChannels)                         \
  I(Rest, TotalRest, ZavText, ObjdetectpeopleChannels, ObjdetectpeopleChannels)           \
  I(Rest, TotalRest, ZavText, ObjdetectvehicleChannels, ObjdetectvehicleChannels)         \
  I(Rest, TotalRest, ZavText, ObjdetectothersChannels, ObjdetectothersChannels)           \
  I(Rest, TotalRest, ZavText, TamperingChannels, TamperingChannels)                       \
  I(Rest, TotalRest, ZavText, DefocusdetectChannels, DefocusdetectChannels)               \
  I(Rest, TotalRest, ZavText, ShockdetectChannels, ShockdetectChannels)                   \
  I(Rest, TotalRest, ZavText, ObjdetectChannels, ObjdetectChannels)                       \
  I(Rest, TotalRest, ZavText, MaskdetectChannels, MaskdetectChannels)                     \
  I(Rest, TotalRest, ZavText, IntrusionChannels, IntrusionChannels)                       \
  I(Rest, TotalRest, ZavText, EnteringChannels, EnteringChannels)                         \
  I(Rest, TotalRest, ZavText, ExitingChannels, ExitingChannels)                           \
  I(Rest, TotalRest, ZavText, AppearingChannels, AppearingChannels)                       \
  I(Rest, TotalRest, ZavText, DisappearingChannels, DisappearingChannels)                 \
  I(Rest, TotalRest, ZavText, LoiteringChannels, LoiteringChannels)                       \
  I(Rest, TotalRest, ZavText, AudiodetectChannels, AudiodetectChannels)                   \
  I(Rest, TotalRest, ZavText, ScreamChannels, ScreamChannels)                             \
  I(Rest, TotalRest, ZavText, GunshotChannels, GunshotChannels)                           \
  I(Rest, TotalRest, ZavText, ExplosionChannels, ExplosionChannels)                       \
  I(Rest, TotalRest, ZavText, GlassbreakChannels, GlassbreakChannels)                     \
  I(Rest, TotalRest, ZavText, TemperaturechangeChannels, TemperaturechangeChannels)       \
  I(Rest, TotalRest, ZavText, FlameChannels, FlameChannels)                               \
  I(Rest, TotalRest, ZavText, SmokeChannels, SmokeChannels)                               \
  I(Rest, TotalRest, ZavText, VibrationChannels, VibrationChannels)                       \
  I(Rest, TotalRest, ZavText, TemperatureIDs, TemperatureIDs)                             \
  I(Rest, TotalRest, ZavText, TemperaturelowIDs, TemperaturelowIDs)                       \
  I(Rest, TotalRest, ZavText, TripwireIDs, TripwireIDs)                                   \
  I(Rest, TotalRest, ZavText, ObjdetectpeopleIDs, ObjdetectpeopleIDs)                     \
  I(Rest, TotalRest, ZavText, ObjdetectvehicleIDs, ObjdetectvehicleIDs)                   \
  I(Rest, TotalRest, ZavText, ObjdetectothersIDs, ObjdetectothersIDs)                     \
  I(Rest, TotalRest, ZavText, TamperingIDs, TamperingIDs)                                 \
  I(Rest, TotalRest, ZavText, DefocusdetectIDs, DefocusdetectIDs)                         \
  I(Rest, TotalRest, ZavText, ShockdetectIDs, ShockdetectIDs)                             \
  I(Rest, TotalRest, ZavText, MaskdetectIDs, MaskdetectIDs)                               \
  I(Rest, TotalRest, ZavText, IntrusionIDs, IntrusionIDs)                                 \
  I(Rest, TotalRest, ZavText, EnteringIDs, EnteringIDs)                                   \
  I(Rest, TotalRest, ZavText, ExitingIDs, ExitingIDs)                                     \
  I(Rest, TotalRest, ZavText, AppearingIDs, AppearingIDs)                                 \
  I(Rest, TotalRest, ZavText, DisappearingIDs, DisappearingIDs)                           \
  I(Rest, TotalRest, ZavText, LoiteringIDs, LoiteringIDs)                                 \
  I(Rest, TotalRest, ZavText, AudiodetectIDs, AudiodetectIDs)                             \
  I(Rest, TotalRest, ZavText, ScreamIDs, ScreamIDs)                                       \
  I(Rest, TotalRest, ZavText, GunshotIDs, GunshotIDs)                                     \
  I(Rest, TotalRest, ZavText, ExplosionIDs, ExplosionIDs)                                 \
  I(Rest, TotalRest, ZavText, GlassbreakIDs, GlassbreakIDs)                               \
  I(Rest, TotalRest, ZavText, TemperaturechangeIDs, TemperaturechangeIDs)                 \
  I(Rest, TotalRest, ZavText, FlameIDs, FlameIDs)                                         \
  I(Rest, TotalRest, ZavText, SmokeIDs, SmokeIDs)                                         \
  I(Rest, TotalRest, ZavText, VibrationIDs, VibrationIDs)                                

#define ZAV_EVENT_STREAM_TRIGGERS(G)                        \
  G(DiskTemperature, ZavFlag, Trigger, DiskTemperatureTrigger) \
  G(DiskSMART, ZavFlag, Trigger, DiskSMARTTrigger)             \
  G(DiskBad, ZavFlag, Trigger, DiskBadTrigger)

class CZavEventStream : public CSerializable {
 public:
  using ChannelMap = std::map<int32_t, CZavChannelStatus>;

  const char* GetTypeName() const override { return "EventStream"; }
  // Names the node "EventStream": the four dates and times, then the groups
  // "Status" (TotalStatus, ChannelStatus), "Record", the event kinds, "Rest"
  // and the three disk groups.
  void Serialize(CSerializationInfo& node) const override;
  // A node of another name leaves the record as it was. Channel items of
  // channel 0 or less are dropped; a later item of a channel replaces an
  // earlier one; of an event-kind group only its first inner node counts.
  void Deserialize(const CSerializationInfo& node) override;

  CZavTotalStatus& GetTotalStatus() { return TotalStatus_; }
  const CZavTotalStatus& GetTotalStatus() const { return TotalStatus_; }
  void SetTotalStatus(const CZavTotalStatus& status) { TotalStatus_.CopyFrom(status); }
  ChannelMap& GetChannelStatuses() { return ChannelStatuses_; }
  const ChannelMap& GetChannelStatuses() const { return ChannelStatuses_; }
  void SetChannelStatuses(const ChannelMap& channels) { ChannelStatuses_ = channels; }
  CZavRecordStatus& GetRecordStatus() { return RecordStatus_; }
  const CZavRecordStatus& GetRecordStatus() const { return RecordStatus_; }
  void SetRecordStatus(const CZavRecordStatus& status) { RecordStatus_ = status; }

  ZAV_DECLARE_FIELDS(ZAV_EVENT_STREAM_FIELDS)
  ZAV_DECLARE_INNER_FIELDS(ZAV_EVENT_STREAM_LISTS)
  ZAV_DECLARE_GROUP_FIELDS(ZAV_EVENT_STREAM_TRIGGERS)

 private:
  CZavTotalStatus TotalStatus_;
  ChannelMap ChannelStatuses_;
  CZavRecordStatus RecordStatus_;
};
