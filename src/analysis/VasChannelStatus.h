// CVasChannelStatus ("ChannelStatusItem"): one analysed channel of an analysis
// server's status document: the stream's connection, codec and resolution,
// its received, decoded and processed rates. A plain value kept in the
// status stream's channel map.
#pragma once

#include "foundation/RecordFields.h"

#define VAS_CHANNEL_STATUS_FIELDS(F) \
  F(RecordInt, Channel)                    \
  F(RecordInt, StreamConnection)           \
  F(RecordText, StreamVideoCodec)          \
  F(RecordText, StreamVideoResolution)     \
  F(RecordInt, StreamVideoReceivedBps)     \
  F(RecordInt, StreamVideoReceivedFps)     \
  F(RecordInt, StreamVideoDecodedBps)      \
  F(RecordInt, StreamVideoDecodedFps)      \
  F(RecordDouble, StreamVideoProcessedFps) \
  F(RecordDouble, StreamVideoUnprocessedFps)

class CVasChannelStatus : public CSerializable {
 public:
  const char* GetTypeName() const override { return "ChannelStatusItem"; }
  RECORD_FLAT_SERIALIZATION(VAS_CHANNEL_STATUS_FIELDS)

  RECORD_DECLARE_FIELDS(VAS_CHANNEL_STATUS_FIELDS)
};
