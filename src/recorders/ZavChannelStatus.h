// CZavChannelStatus ("ChannelStatusItem"): one recording channel of a
// recording server's status document: its five streams (high, low, mobile,
// auxiliary, transcoded; each connection, codec, resolution, bit and frame
// rate, failure text), audio and metadata rates, the recorded time range and
// the camera's ping. A plain value kept in the event stream's channel map.
#pragma once

#include "recorders/ZavRecordFields.h"

#define ZAV_CHANNEL_STATUS_FIELDS(F) \
  F(ZavInt, Channel)                             \
  F(ZavInt, StreamCount)                         \
  F(ZavInt, HighStreamConnection)                \
  F(ZavText, HighStreamVideoCodec)               \
  F(ZavText, HighStreamVideoResolution)          \
  F(ZavInt, HighStreamVideoBps)                  \
  F(ZavInt, HighStreamVideoFps)                  \
  F(ZavText, HighStreamFailureInformation)       \
  F(ZavInt, LowStreamConnection)                 \
  F(ZavText, LowStreamVideoCodec)                \
  F(ZavText, LowStreamVideoResolution)           \
  F(ZavInt, LowStreamVideoBps)                   \
  F(ZavInt, LowStreamVideoFps)                   \
  F(ZavText, LowStreamFailureInformation)        \
  F(ZavInt, MobileStreamConnection)              \
  F(ZavText, MobileStreamVideoCodec)             \
  F(ZavText, MobileStreamVideoResolution)        \
  F(ZavInt, MobileStreamVideoBps)                \
  F(ZavInt, MobileStreamVideoFps)                \
  F(ZavText, MobileStreamFailureInformation)     \
  F(ZavInt, AuxStreamConnection)                 \
  F(ZavText, AuxStreamVideoCodec)                \
  F(ZavText, AuxStreamVideoResolution)           \
  F(ZavInt, AuxStreamVideoBps)                   \
  F(ZavInt, AuxStreamVideoFps)                   \
  F(ZavText, AuxStreamFailureInformation)        \
  F(ZavInt, TranscodeStreamConnection)           \
  F(ZavText, TranscodeStreamVideoCodec)          \
  F(ZavText, TranscodeStreamVideoResolution)     \
  F(ZavInt, TranscodeStreamVideoBps)             \
  F(ZavInt, TranscodeStreamVideoFps)             \
  F(ZavText, TranscodeStreamFailureInformation)  \
  F(ZavText, AudioCodec)                         \
  F(ZavInt, AudioBps)                            \
  F(ZavInt, MetaBps)                             \
  F(ZavText, FirstRecordDate)                    \
  F(ZavText, FirstRecordTime)                    \
  F(ZavText, LastRecordDate)                     \
  F(ZavText, LastRecordTime)                     \
  F(ZavInt, Ping)                               

class CZavChannelStatus : public CSerializable {
 public:
  const char* GetTypeName() const override { return "ChannelStatusItem"; }
  // Names the node "ChannelStatusItem" and adds the 40 values.
  void Serialize(CSerializationInfo& node) const override;
  // A node of another name leaves the record as it was; else every field is
  // set, absent values to 0 or "".
  void Deserialize(const CSerializationInfo& node) override;

  ZAV_DECLARE_FIELDS(ZAV_CHANNEL_STATUS_FIELDS)
};
